#include "app/window/StatusLine.h"

#include "app/window/FileSizeThread.h"
#include "archive/ArchiveEntry.h"
#include "document/ArchiveDocument.h"
#include "util/FileAttributes.h"
#include "util/StringUtil.h"

namespace {

const QString kSeparator = QStringLiteral(" - ");

// An entry's path inside the archive, written the same way whether the archive listed its folder
// or the tree made it up.
QString entryPath(const IFileEntry &entry) {
    QString path = entry.path();
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return path;
}

} // namespace

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
    , sizes_(new FileSizeThread(this)) {
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(sizes_, &FileSizeThread::computed, this, &StatusLine::showComputed);
}

QString StatusLine::itemsPrefix(quint64 count) {
    return tr("%n item(s)", nullptr, int(count)) + QStringLiteral(", ");
}

void StatusLine::browserSelected(const ArchiveDocument &document, const IFileEntry *shownRoot,
                                 const QList<IFileEntry *> &selection) {
    switch (document.state()) {
    case ArchiveDocument::State::Viewing:
        sizes_->cancel();
        // Totals are known once the listing has ended.
        if (document.isListing())
            setText(tr("Reading… %n item(s)", nullptr, int(document.listedCount())));
        else
            showArchive(document, shownRoot, selection);
        break;
    case ArchiveDocument::State::Composing:
        showGathered(document, selection);
        break;
    case ArchiveDocument::State::Empty:
        sizes_->cancel();
        clear();
        break;
    }
}

void StatusLine::showArchive(const ArchiveDocument &document, const IFileEntry *shownRoot,
                             const QList<IFileEntry *> &selection) {
    const auto *root = dynamic_cast<const ArchiveEntry *>(shownRoot);
    const auto *entry =
        selection.size() == 1 ? dynamic_cast<ArchiveEntry *>(selection.first()) : nullptr;
    if (!root) {
        clear();
    } else if (entry && entry->isLeaf()) {
        setText(StringUtil::formatSize(entry->compressedSize()) + QLatin1Char('/') +
                StringUtil::formatSize(entry->uncompressedSize()) + kSeparator + entryPath(*entry));
    } else if (entry) {
        setText(itemsPrefix(entry->descendantCount()) + StringUtil::formatSize(entry->totalSize()) +
                kSeparator + entryPath(*entry));
    } else {
        setText(itemsPrefix(root->descendantCount()) +
                StringUtil::formatSize(FileAttributes::fileSize(document.filePath())) +
                QLatin1Char('/') + StringUtil::formatSize(root->totalSize()) + kSeparator +
                document.filePath());
    }
}

void StatusLine::showGathered(const ArchiveDocument &document,
                              const QList<IFileEntry *> &selection) {
    if (selection.size() == 1 && selection.first()->isLeaf()) {
        sizes_->cancel();
        const IFileEntry *file = selection.first();
        setText(StringUtil::formatSize(file->size()) + kSeparator + file->path());
        return;
    }
    if (selection.size() == 1) {
        const QString folder = selection.first()->path();
        setText(tr("Loading… %1").arg(folder));
        sizes_->computeSize({folder});
        return;
    }
    QStringList paths;
    for (const FileSystemNode::Ptr &node : document.rootNode()->children())
        paths.append(node->path());
    setText(tr("Loading…"));
    sizes_->computeSize(paths);
}

void StatusLine::showComputed(quint64 itemCount, quint64 totalSize, const QStringList &paths) {
    QString text = itemsPrefix(itemCount) + StringUtil::formatSize(totalSize);
    if (paths.size() == 1)
        text += kSeparator + paths.first();
    setText(text);
}
