#include "app/window/StatusLine.h"

#include "app/window/FileSizeThread.h"
#include "archive/ArchiveEntry.h"
#include "document/ArchiveDocument.h"
#include "util/FileAttributes.h"
#include "util/StringUtil.h"

namespace {
const QString kSeparator = QStringLiteral(" - ");
}

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
    , sizes_(new FileSizeThread(this)) {
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(sizes_, &FileSizeThread::computed, this, &StatusLine::showComputed);
}

QString StatusLine::itemsPrefix(quint64 count) {
    return QStringLiteral("%1 %2 , ").arg(count).arg(tr("items"));
}

void StatusLine::browserSelected(const ArchiveDocument &document,
                                 const QList<IFileEntry *> &selection) {
    switch (document.state()) {
    case ArchiveDocument::State::Viewing:
        showArchive(document, selection);
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

void StatusLine::showArchive(const ArchiveDocument &document,
                             const QList<IFileEntry *> &selection) {
    sizes_->cancel();
    const auto *entry =
        selection.size() == 1 ? dynamic_cast<ArchiveEntry *>(selection.first()) : nullptr;
    if (entry && entry->isLeaf()) {
        setText(StringUtil::formatSize(entry->compressedSize()) + QLatin1Char('/') +
                StringUtil::formatSize(entry->uncompressedSize()) + kSeparator + entry->path());
    } else if (entry) {
        setText(itemsPrefix(entry->descendantCount()) + StringUtil::formatSize(entry->totalSize()) +
                kSeparator + entry->path());
    } else if (const ArchiveEntry *root = document.rootEntry()) {
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
        setText(tr("Loading...") + folder);
        sizes_->computeSize({folder});
        return;
    }
    QStringList paths;
    for (const FileSystemNode::Ptr &node : document.rootNode()->children())
        paths.append(node->path());
    setText(tr("Loading..."));
    sizes_->computeSize(paths);
}

void StatusLine::showComputed(quint64 itemCount, quint64 totalSize, const QStringList &paths) {
    QString text = itemsPrefix(itemCount) + StringUtil::formatSize(totalSize);
    if (paths.size() == 1)
        text += kSeparator + paths.first();
    setText(text);
}
