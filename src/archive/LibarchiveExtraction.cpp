#include "archive/LibarchiveExtraction.h"

#include "archive/LibarchiveInput.h"
#include "archive/ParallelWalk.h"
#include "archive/SafePath.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/ProgressReceiver.h"

#include <QFile>

#include <cerrno>

#include <archive.h>
#include <archive_entry.h>

namespace {

// Bytes decoded between two progress reports.
constexpr size_t kChunkSize = 1024000;

} // namespace

LibarchiveExtraction::LibarchiveExtraction(const QString &destination, bool restoresDates,
                                           ProgressReceiver *progress)
    : destination_(destination)
    , restoresDates_(restoresDates)
    , progress_(progress)
    , buffer_(kChunkSize)
    , files_(destination) {
}

LibarchiveExtraction::LibarchiveExtraction(const LibarchiveExtraction &parent, ParallelWalk &walk,
                                           EntryRange range)
    : LibarchiveExtraction(parent.destination_, parent.restoresDates_, nullptr) {
    parallel_ = &walk;
    range_ = range;
}

void LibarchiveExtraction::addFolder(const QString &path, mode_t permission,
                                     const std::optional<QDateTime> &date) {
    folders_.append({path, permission, date});
}

void LibarchiveExtraction::noteUnwritable(const QString &path, int error) {
    unwritten_.append({SafePath::below(destination_, path), error});
    if (error != ENAMETOOLONG)
        note(Outcome::Unwritable);
}

void LibarchiveExtraction::note(Outcome outcome) {
    if (outcome_ != Outcome::Encrypted)
        outcome_ = outcome;
}

LibarchiveExtraction::Outcome LibarchiveExtraction::run(LibarchiveInput &input,
                                                        const QHash<quint64, QString> *targets) {
    if (!walk(input, targets))
        outcome_ = Outcome::Damaged;
    files_.drain();
    if (isCurrentThreadCancelled())
        return Outcome::Cancelled;
    finishWalks();
    return outcome_;
}

LibarchiveExtraction::Outcome
LibarchiveExtraction::runParallel(const std::vector<EntryRange> &ranges, const OpenInput &open,
                                  const QHash<quint64, QString> *targets) {
    ParallelWalk walk(int(ranges.size()));
    std::vector<std::unique_ptr<LibarchiveExtraction>> workers;
    std::vector<QHash<quint64, QString>> targetSets(ranges.size());
    for (std::size_t worker = 0; worker < ranges.size(); ++worker) {
        workers.push_back(std::unique_ptr<LibarchiveExtraction>(
            new LibarchiveExtraction(*this, walk, ranges[worker])));
        if (!targets)
            continue;
        for (auto it = targets->cbegin(); it != targets->cend(); ++it) {
            if (it.key() >= ranges[worker].first && it.key() < ranges[worker].end)
                targetSets[worker].insert(it.key(), it.value());
        }
    }
    walk.run(
        [&](int worker) {
            LibarchiveExtraction &extraction = *workers[std::size_t(worker)];
            // A worker given no selected entry has nothing to decode.
            if (targets && targetSets[std::size_t(worker)].isEmpty())
                return;
            const auto input = open();
            if (!extraction.walk(*input, targets ? &targetSets[std::size_t(worker)] : nullptr))
                extraction.note(Outcome::Damaged);
            extraction.files_.drain();
        },
        [this](quint64 written) {
            if (isCurrentThreadCancelled())
                return false;
            if (progress_)
                progress_->addDone(written);
            return !isCurrentThreadCancelled();
        });
    if (walk.isCancelled() || isCurrentThreadCancelled())
        return Outcome::Cancelled;
    // What one walk would have met: nothing past the entry where the first worker stopped.
    for (const auto &worker : workers) {
        if (qint64(worker->range_.first) <= walk.end())
            absorb(*worker);
    }
    finishWalks();
    return outcome_;
}

void LibarchiveExtraction::absorb(LibarchiveExtraction &worker) {
    unwritten_.append(worker.unwritten_);
    folders_.append(worker.folders_);
    links_.append(worker.links_);
    hardLinks_.append(worker.hardLinks_);
    leftOut_.append(worker.leftOut_);
    for (auto it = worker.written_.cbegin(); it != worker.written_.cend(); ++it)
        written_.insert(it.key(), it.value());
    if (worker.outcome_ != Outcome::Done)
        note(worker.outcome_);
}

void LibarchiveExtraction::stopAt(quint64 index) {
    if (parallel_)
        parallel_->endAt(qint64(index));
}

bool LibarchiveExtraction::isCancelled() const {
    return parallel_ ? parallel_->isCancelled() : isCurrentThreadCancelled();
}

void LibarchiveExtraction::finishWalks() {
    ExtractionOutput output;
    makeHardLinks(output);
    makeLinks(output);
    // Last: making the links and files in a folder changes its date.
    restoreFolders();
}

bool LibarchiveExtraction::walk(LibarchiveInput &input, const QHash<quint64, QString> *targets) {
    QHash<quint64, QString> remaining = targets ? *targets : QHash<quint64, QString>();
    // With targets, entries are only read up to the last selected one.
    for (quint64 index = 0; (!targets || !remaining.isEmpty()) && index < range_.end; ++index) {
        files_.collect();
        // A worker stops where another's walk ended: one walk would not have gone on.
        if (isCancelled() || (parallel_ && qint64(index) > parallel_->end()))
            return true;
        switch (input.next()) {
        case LibarchiveInput::Next::Entry:
            break;
        case LibarchiveInput::Next::End:
            return !targets;
        case LibarchiveInput::Next::Encrypted:
            note(Outcome::Encrypted);
            return true;
        case LibarchiveInput::Next::Failed:
            stopAt(index);
            return false;
        }
        // The entries before the range are passed over unread.
        if (index < range_.first)
            continue;
        archive_entry *entry = input.entry();
        QString target;
        if (targets) {
            target = remaining.take(index);
        } else if (const QString path = input.path(entry); !path.isEmpty()) {
            target = SafePath::join(destination_, path);
            if (LibarchiveInput::fileType(entry) == AE_IFDIR) {
                files_.makeFolder(target, [this, target](int error) {
                    if (error != 0)
                        noteUnwritable(target, error);
                });
                addFolder(target, LibarchiveInput::permission(entry),
                          LibarchiveInput::modifiedDate(entry));
                continue;
            }
        }
        if (!target.isNull() && !take(input, target)) {
            if (isCancelled())
                return true;
            stopAt(index);
            return false;
        }
    }
    return true;
}

bool LibarchiveExtraction::take(LibarchiveInput &input, const QString &target) {
    archive_entry *entry = input.entry();
    const QString path = input.path(entry);
    const auto type = LibarchiveInput::fileType(entry);
    if (const QString source = input.hardLinkSource(entry); !source.isEmpty()) {
        const bool carriesData = archive_entry_size(entry) > 0;
        hardLinks_.append({path, target, source, carriesData, LibarchiveInput::permission(entry),
                           LibarchiveInput::modifiedDate(entry)});
        if (!carriesData)
            return true;
    }
    if (type == AE_IFLNK) {
        links_.append({target, input.linkTarget(entry), LibarchiveInput::modifiedDate(entry)});
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
    files_.finish(LibarchiveInput::permission(entry) | S_IRUSR | S_IWUSR,
                  restoresDates_ ? LibarchiveInput::modifiedDate(entry) : std::nullopt,
                  [this, path, target](int error) {
                      if (error != 0)
                          noteUnwritable(target, error);
                      else
                          written_.insert(path, target);
                  });
    return true;
}

LibarchiveExtraction::Copy LibarchiveExtraction::copy(LibarchiveInput &input) {
    for (;;) {
        const qint64 got = input.read(buffer_.data(), buffer_.size());
        if (got == 0)
            return Copy::Done;
        if (got < 0)
            return got == ARCHIVE_FATAL ? Copy::Fatal : Copy::Damaged;
        files_.write(buffer_.data(), got);
        if (parallel_)
            parallel_->countWritten(quint64(got));
        else if (progress_)
            progress_->addDone(quint64(got));
        if (isCancelled())
            return Copy::Stopped;
    }
}

void LibarchiveExtraction::makeHardLinks(ExtractionOutput &output) {
    for (const HardLink &link : std::as_const(hardLinks_)) {
        // Never a copy of whatever lies at the source's path: only of what this walk wrote.
        const auto source = written_.constFind(link.source);
        const auto own = written_.constFind(link.path);
        if (link.carriesData && own != written_.constEnd() && source != written_.constEnd()) {
            if (!copyWritten(output, *own, *source, link.permission, link.date))
                noteUnwritable(*source, errno);
        } else if (!link.carriesData && source != written_.constEnd()) {
            if (!copyWritten(output, *source, link.target, link.permission, link.date))
                noteUnwritable(link.target, errno);
        } else if (!link.carriesData) {
            leftOut_.append(
                {ArchiveWarning::Kind::LinkLeftOut, SafePath::below(destination_, link.target)});
        }
    }
}

bool LibarchiveExtraction::copyWritten(ExtractionOutput &output, const QString &from,
                                       const QString &to, mode_t permission,
                                       const std::optional<QDateTime> &date) {
    QFile input(from);
    if (!input.open(QIODevice::ReadOnly) || !output.create(destination_, to))
        return false;
    for (;;) {
        const qint64 got = input.read(buffer_.data(), qint64(buffer_.size()));
        if (got == 0)
            break;
        if (got < 0 || !output.write(buffer_.data(), got)) {
            const int error = errno;
            output.discard();
            errno = error;
            return false;
        }
    }
    return output.finish(permission | S_IRUSR | S_IWUSR, restoresDates_ ? date : std::nullopt);
}

void LibarchiveExtraction::makeLinks(ExtractionOutput &output) {
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

void LibarchiveExtraction::restoreFolders() {
    for (const Folder &folder : std::as_const(folders_)) {
        // The owner keeps the right to enter and change every folder extracted.
        if (folder.permission != 0)
            FileAttributes::setRestoredMode(folder.path, folder.permission | S_IRWXU);
        if (restoresDates_)
            FileAttributes::setModifiedDate(folder.date, folder.path);
    }
}
