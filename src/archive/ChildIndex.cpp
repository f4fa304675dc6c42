#include "archive/ChildIndex.h"

#include "archive/ArchiveEntry.h"

#include <QHash>

namespace {

// Folders up to this many children are scanned: building an index would cost more.
constexpr size_t kScanLimit = 8;

} // namespace

size_t ChildIndex::hash(QStringView name, bool folder) {
    return qHash(name, folder ? 0x9e3779b9u : 0u);
}

size_t ChildIndex::slotOf(const Children &children, QStringView name, bool folder) const {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash(name, folder) & mask;; slot = (slot + 1) & mask) {
        const quint32 taken = slots_[slot];
        if (taken == 0)
            return slot;
        const ArchiveEntry &child = *children[taken - 1];
        if (child.isLeaf() != folder && child.nameView() == name)
            return slot;
    }
}

qsizetype ChildIndex::find(const Children &children, QStringView name, bool folder) const {
    if (slots_.empty()) {
        for (size_t i = 0; i < children.size(); ++i) {
            if (children[i]->isLeaf() != folder && children[i]->nameView() == name)
                return qsizetype(i);
        }
        return -1;
    }
    return qsizetype(slots_[slotOf(children, name, folder)]) - 1;
}

void ChildIndex::added(const Children &children) {
    if (slots_.empty()) {
        if (children.size() > kScanLimit)
            rebuild(children, 64);
        return;
    }
    const ArchiveEntry &child = *children.back();
    const size_t slot = slotOf(children, child.nameView(), !child.isLeaf());
    if (slots_[slot] != 0)
        return;
    slots_[slot] = quint32(children.size());
    // At most half full, so probes stay short.
    if (++used_ * 2 > slots_.size())
        rebuild(children, slots_.size() * 2);
}

void ChildIndex::rebuild(const Children &children, size_t capacity) {
    slots_.assign(capacity, 0);
    used_ = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        const ArchiveEntry &child = *children[i];
        const size_t slot = slotOf(children, child.nameView(), !child.isLeaf());
        if (slots_[slot] == 0) {
            slots_[slot] = quint32(i + 1);
            ++used_;
        }
    }
    while (used_ * 2 > slots_.size())
        rebuild(children, slots_.size() * 2);
}

void ChildIndex::clear() {
    slots_.clear();
    used_ = 0;
}
