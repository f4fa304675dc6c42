#include "archive/ArchiveEntry.h"

#include "archive/ChildIndex.h"
#include "archive/EntryTreeWatcher.h"
#include "util/DateUtil.h"
#include "util/Localization.h"
#include "util/PathUtil.h"
#include "util/StringUtil.h"

#include <QStringTokenizer>

namespace {

const QString kSlash = QStringLiteral("/");

// The path without its last component: "a/b/c" gives "a/b", "/x" gives "/", "x" gives "".
QStringView deletingLastPathComponent(QStringView path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringView(u"");
    if (slash == 0)
        return QStringView(u"/");
    return path.left(slash);
}

QString sizeText(quint64 size) {
    return QStringLiteral("%1/%2 %3")
        .arg(StringUtil::formatSize(size))
        .arg(size)
        .arg(Engine::tr("Bytes"));
}

const ArchiveEntry::Children kNoChildren;

} // namespace

struct ArchiveEntry::Folder {
    Children children;
    ChildIndex index;
    quint64 totalSize = 0;
    quint64 compressedTotalSize = 0;
    qint64 descendantCount = 0;
    EntryTreeWatcher *watcher = nullptr;
    // The root's last walk down a leading path: archives list a folder's entries together, so
    // the next entry usually goes into the same folder without a lookup per component.
    QString lastLeading;
    ArchiveEntry *lastFolder = nullptr;
    qsizetype lastAt = 0;
    bool lastJoined = false;
};

ArchiveEntry::ArchiveEntry(const QString &path, const Fields &fields, ArchiveEntry *parent)
    : name_(PathUtil::fileName(path))
    , parent_(parent)
    , location_(fields.location)
    , compressedSize_(fields.compressedSize)
    , uncompressedSize_(fields.uncompressedSize)
    , date_(fields.date)
    , CRC_(fields.CRC)
    , permission_(fields.permission)
    , compressionType_(fields.compressionType)
    // A null path (a name no encoding decodes) is built from the parents' as a made folder's.
    , pathKind_(path.isNull() ? PathKind::Made : PathKind::Kept)
    , encrypted_(fields.encrypted)
    , isLeaf_(!path.endsWith(QLatin1Char('/'))) {
    if (!path.isNull())
        rare().path = path;
    if (!fields.linkTarget.isNull())
        rare().linkTarget = fields.linkTarget;
    if (!isLeaf_)
        folder_ = std::make_unique<Folder>();
}

ArchiveEntry::ArchiveEntry(const QString &name, ArchiveEntry *parent)
    : name_(name)
    , parent_(parent)
    , folder_(std::make_unique<Folder>())
    , compressedSize_(0)
    , uncompressedSize_(0)
    , CRC_(0)
    , permission_(0)
    , compressionType_(0)
    , pathKind_(PathKind::Made)
    , encrypted_(false)
    , isLeaf_(false) {
}

ArchiveEntry::~ArchiveEntry() {
    if (!folder_)
        return;
    // Taken apart without recursion: a path thousands of folders deep would take a stack frame
    // per folder.
    Children pending = std::move(folder_->children);
    while (!pending.empty()) {
        const std::unique_ptr<ArchiveEntry> node = std::move(pending.back());
        pending.pop_back();
        if (node->folder_) {
            for (auto &child : node->folder_->children)
                pending.push_back(std::move(child));
            node->folder_->children.clear();
        }
    }
}

std::unique_ptr<ArchiveEntry> ArchiveEntry::rootEntry() {
    return std::make_unique<ArchiveEntry>(kSlash);
}

ArchiveEntry::Rare &ArchiveEntry::rare() {
    if (!rare_)
        rare_ = std::make_unique<Rare>();
    return *rare_;
}

bool ArchiveEntry::isRoot() const {
    return pathKind_ == PathKind::Kept && rare_ && rare_->path == kSlash;
}

const ArchiveEntry::Children &ArchiveEntry::children() const {
    return folder_ ? folder_->children : kNoChildren;
}

QString ArchiveEntry::linkTarget() const {
    return rare_ ? rare_->linkTarget : QString();
}

quint64 ArchiveEntry::totalSize() const {
    return folder_ ? folder_->totalSize : uncompressedSize_;
}

quint64 ArchiveEntry::compressedTotalSize() const {
    return folder_ ? folder_->compressedTotalSize : compressedSize_;
}

qint64 ArchiveEntry::descendantCount() const {
    return folder_ ? folder_->descendantCount : 0;
}

QString ArchiveEntry::leadingPath() const {
    return deletingLastPathComponent(path()).toString();
}

QString ArchiveEntry::path() const {
    switch (pathKind_) {
    case PathKind::Kept:
        return keptPath();
    case PathKind::Joined:
        return joinedPath();
    case PathKind::Made:
        break;
    }
    return madePath();
}

QString ArchiveEntry::joinedPath() const {
    std::vector<const ArchiveEntry *> chain;
    qsizetype length = 0;
    for (const ArchiveEntry *node = this; node->parent_; node = node->parent_) {
        chain.push_back(node);
        length += node->name_.size() + 1;
    }
    QString path;
    path.reserve(length);
    for (auto node = chain.rbegin(); node != chain.rend(); ++node) {
        path += (*node)->name_;
        if (*node != this || !isLeaf_)
            path += QLatin1Char('/');
    }
    return path;
}

QString ArchiveEntry::madePath() const {
    // Storing the path in each of thousands of nested made folders would cost the square of the
    // depth: it is built from the nearest node above that has one.
    std::vector<const ArchiveEntry *> made;
    const ArchiveEntry *node = this;
    for (; node->pathKind_ == PathKind::Made && node->parent_; node = node->parent_)
        made.push_back(node);
    QString path = node->pathKind_ == PathKind::Made ? QString() : node->path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder)
        path += kSlash + (*folder)->name_;
    return path + kSlash;
}

bool ArchiveEntry::addToRoot(std::unique_ptr<ArchiveEntry> entry, ArchiveEntry *root) {
    ArchiveEntry *folder = root;
    // The first folder made for this entry: it and those below it are counted with the entry.
    const ArchiveEntry *firstMade = nullptr;
    const QString path = entry->keptPath();
    const QStringView leading = deletingLastPathComponent(path);
    // Whether the folders' names are joined by single "/" from the path's start.
    bool leadingJoined = true;
    qsizetype at = 0;
    Folder &last = *root->folder_;
    if (last.lastFolder && leading == last.lastLeading) {
        folder = last.lastFolder;
        at = last.lastAt;
        leadingJoined = last.lastJoined;
    } else {
        for (const QStringView component : QStringTokenizer(leading, u'/', Qt::SkipEmptyParts)) {
            leadingJoined = leadingJoined && component.data() == path.constData() + at;
            at += component.size() + 1;
            ArchiveEntry *found = folder->findChildFolder(component);
            if (!found) {
                found = folder->attach(
                    std::unique_ptr<ArchiveEntry>(new ArchiveEntry(component.toString(), folder)));
                if (!firstMade)
                    firstMade = found;
            }
            folder = found;
        }
        last.lastLeading = leading.toString();
        last.lastFolder = folder;
        last.lastAt = at;
        last.lastJoined = leadingJoined;
    }
    // Whether the path is just the names of the folders and the entry's own, joined by "/".
    const bool joined = leadingJoined && entry->pathKind_ == PathKind::Kept;
    if (!firstMade && folder->findChild(*entry))
        return false;
    if (joined &&
        QStringView(path).mid(at) == (entry->isLeaf_ ? entry->name_ : entry->name_ + kSlash)) {
        entry->pathKind_ = PathKind::Joined;
        entry->rare_->path = QString();
        if (entry->rare_->linkTarget.isNull())
            entry->rare_.reset();
    }
    countAdded(*folder->attach(std::move(entry)), firstMade);
    if (root->folder_->watcher)
        root->folder_->watcher->entryAdded();
    return true;
}

bool ArchiveEntry::addChild(std::unique_ptr<ArchiveEntry> child, bool checkIfExists) {
    if (isLeaf_)
        return false;
    if (checkIfExists && findChild(*child))
        return false;
    countAdded(*attach(std::move(child)), nullptr);
    return true;
}

ArchiveEntry *ArchiveEntry::attach(std::unique_ptr<ArchiveEntry> child) {
    child->parent_ = this;
    ArchiveEntry *added = child.get();
    folder_->children.push_back(std::move(child));
    folder_->index.added(folder_->children);
    return added;
}

void ArchiveEntry::countAdded(const ArchiveEntry &added, const ArchiveEntry *firstMade) {
    // Each folder made for the entry adds itself to the count of the folders above it.
    qint64 count = 1;
    bool inMade = firstMade != nullptr;
    for (ArchiveEntry *folder = added.parent_; folder; folder = folder->parent_) {
        folder->folder_->descendantCount += count;
        if (added.isLeaf_) {
            folder->folder_->totalSize += added.uncompressedSize_;
            folder->folder_->compressedTotalSize += added.compressedSize_;
        }
        if (inMade) {
            ++count;
            inMade = folder != firstMade;
        }
    }
}

ArchiveEntry *ArchiveEntry::findChild(const ArchiveEntry &entry) {
    if (!folder_)
        return nullptr;
    const qsizetype leaf = folder_->index.find(folder_->children, entry.name_, false);
    const qsizetype folder = folder_->index.find(folder_->children, entry.name_, true);
    if (leaf < 0 && folder < 0)
        return nullptr;
    ArchiveEntry *found =
        folder_->children[size_t(leaf < 0     ? folder
                                 : folder < 0 ? leaf
                                              : qMin(leaf, folder))]
            .get();
    if (!found->date_)
        found->date_ = entry.date_;
    if (found->permission_ == 0)
        found->permission_ = entry.permission_;
    return found;
}

ArchiveEntry *ArchiveEntry::findChildFolder(QStringView name) const {
    if (!folder_)
        return nullptr;
    const qsizetype found = folder_->index.find(folder_->children, name, true);
    return found < 0 ? nullptr : folder_->children[size_t(found)].get();
}

ArchiveEntry *ArchiveEntry::findChildLeaf(QStringView name) const {
    if (!folder_)
        return nullptr;
    const qsizetype found = folder_->index.find(folder_->children, name, false);
    return found < 0 ? nullptr : folder_->children[size_t(found)].get();
}

ArchiveEntry *ArchiveEntry::findLeaf(QStringView path) const {
    const QStringView leading = deletingLastPathComponent(path);
    const ArchiveEntry *folder = this;
    // A root knows where its last added entry's leading path led.
    if (folder_ && folder_->lastFolder && leading == folder_->lastLeading) {
        folder = folder_->lastFolder;
    } else {
        for (const QStringView component : QStringTokenizer(leading, u'/', Qt::SkipEmptyParts)) {
            folder = folder->findChildFolder(component);
            if (!folder)
                return nullptr;
        }
    }
    const qsizetype slash = path.lastIndexOf(u'/');
    return folder->findChildLeaf(path.mid(slash + 1));
}

void ArchiveEntry::clear() {
    if (!folder_)
        return;
    EntryTreeWatcher *watcher = folder_->watcher;
    if (watcher)
        watcher->clearing();
    *folder_ = Folder();
    folder_->watcher = watcher;
}

void ArchiveEntry::setWatcher(EntryTreeWatcher *watcher) {
    if (folder_)
        folder_->watcher = watcher;
}

quint64 ArchiveEntry::totalSizes(const QList<ArchiveEntry *> &entries) {
    quint64 total = 0;
    for (const ArchiveEntry *entry : entries)
        total += entry->totalSize();
    return total;
}

int ArchiveEntry::compare(const ArchiveEntry &other) const {
    return QString::localeAwareCompare(name_.toCaseFolded(), other.name_.toCaseFolded());
}

QString ArchiveEntry::description() const {
    return QStringLiteral("<ArchiveEntry:%1>%2").arg(quintptr(this), 0, 16).arg(path());
}

QString ArchiveEntry::modifiedString() const {
    const auto modified = date();
    if (!modified)
        return QStringLiteral("");
    return DateUtil::mediumString(*modified);
}

QString ArchiveEntry::filesizeString() const {
    return sizeText(uncompressedSize_);
}

QString ArchiveEntry::compressedString() const {
    return sizeText(compressedSize_);
}
