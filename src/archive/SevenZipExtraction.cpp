#include "archive/SevenZipExtraction.h"

#include "archive/SafePath.h"
#include "archive/SevenZipInput.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/ProgressReceiver.h"

#include <cerrno>

#include <archive.h>
#include <archive_entry.h>

namespace {

// Bytes decoded between two progress reports.
constexpr size_t kChunkSize = 1024000;

} // namespace

SevenZipExtraction::SevenZipExtraction(const QString &destination, bool restoresDates,
                                       ProgressReceiver *progress)
    : destination_(destination)
    , restoresDates_(restoresDates)
    , progress_(progress)
    , buffer_(kChunkSize)
    , files_(destination) {
}

void SevenZipExtraction::addFolder(const QString &path, mode_t permission,
                                   const std::optional<QDateTime> &date) {
    folders_.append({path, permission, date});
}

void SevenZipExtraction::noteUnwritable(const QString &path, int error) {
    unwritten_.append({SafePath::below(destination_, path), error});
    if (error != ENAMETOOLONG)
        note(Outcome::Unwritable);
}

void SevenZipExtraction::note(Outcome outcome) {
    if (outcome_ != Outcome::Encrypted)
        outcome_ = outcome;
}

SevenZipExtraction::Outcome SevenZipExtraction::run(SevenZipInput &input,
                                                    const QHash<quint64, QString> *targets) {
    if (!walk(input, targets))
        outcome_ = Outcome::Damaged;
    files_.drain();
    if (isCurrentThreadCancelled())
        return Outcome::Cancelled;
    makeLinks();
    // Last: making the links and files in a folder changes its date.
    restoreFolders();
    return outcome_;
}

bool SevenZipExtraction::walk(SevenZipInput &input, const QHash<quint64, QString> *targets) {
    QHash<quint64, QString> remaining = targets ? *targets : QHash<quint64, QString>();
    // With targets, entries are only read up to the last selected one.
    for (quint64 index = 0; !targets || !remaining.isEmpty(); ++index) {
        files_.collect();
        if (isCurrentThreadCancelled())
            return true;
        switch (input.next()) {
        case SevenZipInput::Next::Entry:
            break;
        case SevenZipInput::Next::End:
            return !targets;
        case SevenZipInput::Next::Encrypted:
            note(Outcome::Encrypted);
            return true;
        case SevenZipInput::Next::Failed:
            return false;
        }
        archive_entry *entry = input.entry();
        QString target;
        if (targets) {
            target = remaining.take(index);
        } else if (const QString path = SevenZipInput::path(entry); !path.isEmpty()) {
            target = SafePath::join(destination_, path);
            if (SevenZipInput::fileType(entry) == AE_IFDIR) {
                files_.makeFolder(target, [this, target](int error) {
                    if (error != 0)
                        noteUnwritable(target, error);
                });
                addFolder(target, SevenZipInput::permission(entry),
                          SevenZipInput::modifiedDate(entry));
                continue;
            }
        }
        if (!target.isNull() && !take(input, target))
            return isCurrentThreadCancelled();
    }
    return true;
}

bool SevenZipExtraction::take(SevenZipInput &input, const QString &target) {
    archive_entry *entry = input.entry();
    const auto type = SevenZipInput::fileType(entry);
    if (type == AE_IFLNK) {
        links_.append(
            {target, SevenZipInput::linkTarget(entry), SevenZipInput::modifiedDate(entry)});
        return true;
    }
    // Devices, pipes and sockets are never made from an archive.
    if (type != AE_IFREG) {
        leftOut_.append(
            {ArchiveWarning::Kind::SpecialFileLeftOut, SafePath::below(destination_, target)});
        return true;
    }
    if (archive_entry_is_data_encrypted(entry)) {
        note(Outcome::Encrypted);
        return true;
    }
    files_.open(target);
    const Copy copied = copy(input);
    if (copied != Copy::Done) {
        // A damaged or cancelled file is not left behind looking as if it had been extracted.
        files_.discard();
        if (copied != Copy::Stopped)
            note(Outcome::Damaged);
        return copied == Copy::Damaged;
    }
    const std::optional<QDateTime> date = SevenZipInput::modifiedDate(entry);
    files_.finish(SevenZipInput::permission(entry) | S_IRUSR | S_IWUSR,
                  [this, target, date](int error) {
                      if (error != 0)
                          noteUnwritable(target, error);
                      else if (restoresDates_)
                          FileAttributes::setModifiedDate(date, target);
                  });
    return true;
}

SevenZipExtraction::Copy SevenZipExtraction::copy(SevenZipInput &input) {
    for (;;) {
        const qint64 got = input.read(buffer_.data(), buffer_.size());
        if (got == 0)
            return Copy::Done;
        if (got < 0)
            return got == ARCHIVE_FATAL ? Copy::Fatal : Copy::Damaged;
        files_.write(buffer_.data(), got);
        if (progress_)
            progress_->addDone(quint64(got));
        if (isCurrentThreadCancelled())
            return Copy::Stopped;
    }
}

void SevenZipExtraction::makeLinks() {
    ExtractionOutput output;
    for (const Link &link : std::as_const(links_)) {
        switch (output.createLink(destination_, link.path, link.target,
                                  restoresDates_ ? link.date : std::nullopt)) {
        case ExtractionOutput::LinkResult::Made:
            break;
        case ExtractionOutput::LinkResult::LeftOut:
            leftOut_.append(
                {ArchiveWarning::Kind::LinkLeftOut, SafePath::below(destination_, link.path)});
            break;
        case ExtractionOutput::LinkResult::Failed:
            noteUnwritable(link.path, errno);
            break;
        }
    }
}

void SevenZipExtraction::restoreFolders() {
    for (const Folder &folder : std::as_const(folders_)) {
        // The owner keeps the right to enter and change every folder extracted.
        if (folder.permission != 0)
            FileAttributes::setRestoredMode(folder.path, folder.permission | S_IRWXU);
        if (restoresDates_)
            FileAttributes::setModifiedDate(folder.date, folder.path);
    }
}
