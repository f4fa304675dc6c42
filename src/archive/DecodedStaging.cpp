#include "archive/DecodedStaging.h"

#include "util/MemoryBlock.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>

DecodedStaging::DecodedStaging(std::unique_ptr<MemoryBlock> memory, QString path)
    : memory_(std::move(memory))
    , path_(std::move(path)) {
}

DecodedStaging::~DecodedStaging() {
    finish();
}

char *DecodedStaging::freeSpace(qint64 length) const {
    if (spilled_ || !memory_ || memory_->size() - size_ < length)
        return nullptr;
    return memory_->data() + size_;
}

bool DecodedStaging::append(const char *data, qint64 length) {
    if (failed_)
        return false;
    if (!spilled_) {
        const qint64 room = memory_ ? memory_->size() - size_ : 0;
        const qint64 now = qMin(room, length);
        if (now > 0) {
            if (data != memory_->data() + size_)
                std::memcpy(memory_->data() + size_, data, std::size_t(now));
            size_ += now;
            growth_.grow(now);
            data += now;
            length -= now;
        }
        if (length == 0)
            return true;
        if (!spill())
            return false;
    }
    size_ += length;
    writes_.post(
        [this, chunk = QByteArray(data, length)] {
            if (failed_)
                return;
            if (file_.write(chunk) == chunk.size())
                growth_.grow(chunk.size());
            else
                fail(errno);
        },
        length);
    return true;
}

bool DecodedStaging::spill() {
    spilled_ = true;
    file_.setFileName(path_);
    // Unbuffered, so that what was written can be read at once.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        (size_ > 0 && file_.write(memory_->data(), size_) != size_)) {
        fail(errno);
        return false;
    }
    return true;
}

void DecodedStaging::fail(int error) {
    writeErrno_ = error;
    failed_ = true;
}

bool DecodedStaging::finish() {
    writes_.wait();
    file_.close();
    growth_.finish();
    return !failed_;
}

QByteArrayView DecodedStaging::memory() const {
    return memory_ ? memory_->bytes() : QByteArrayView();
}

std::unique_ptr<MemoryBlock> DecodedStaging::takeMemory() {
    if (spilled_ || !memory_)
        return nullptr;
    memory_->shrink(size_);
    return std::move(memory_);
}
