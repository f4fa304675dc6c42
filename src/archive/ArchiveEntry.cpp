#include "archive/ArchiveEntry.h"

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

} // namespace

ArchiveEntry::ArchiveEntry(const QString &path, const Fields &fields, ArchiveEntry *parent)
    : name_(PathUtil::fileName(path))
    , path_(path)
    , isLeaf_(!path.endsWith(QLatin1Char('/')))
    , fields_(fields)
    , parent_(parent) {
    if (isLeaf_) {
        totalSize_ = fields_.uncompressedSize;
        compressedTotalSize_ = fields_.compressedSize;
    }
}

ArchiveEntry::ArchiveEntry(const QString &name, ArchiveEntry *parent)
    : name_(name)
    , isLeaf_(false)
    , parent_(parent) {
}

std::unique_ptr<ArchiveEntry> ArchiveEntry::rootEntry() {
    return std::make_unique<ArchiveEntry>(kSlash);
}

QString ArchiveEntry::leadingPath() const {
    return deletingLastPathComponent(path()).toString();
}

QString ArchiveEntry::path() const {
    if (!path_.isNull())
        return path_;
    std::vector<const ArchiveEntry *> made;
    const ArchiveEntry *node = this;
    for (; node->path_.isNull(); node = node->parent_)
        made.push_back(node);
    QString path = node->path_;
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
    const QStringView leading = deletingLastPathComponent(entry->path_);
    for (const QStringView component : QStringTokenizer(leading, u'/', Qt::SkipEmptyParts)) {
        // The name is only looked up (and copied when a folder is made): no copy per component.
        const QString name = QString::fromRawData(component.data(), component.size());
        ArchiveEntry *found = folder->findChildFolder(name);
        if (!found) {
            found = folder->attach(std::unique_ptr<ArchiveEntry>(new ArchiveEntry(name, folder)));
            if (!firstMade)
                firstMade = found;
        }
        folder = found;
    }
    if (!firstMade && folder->findChild(*entry))
        return false;
    countAdded(*folder->attach(std::move(entry)), firstMade);
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
    children_.push_back(std::move(child));
    // The indexes keep the first child of a name, as a scan from the front would find it.
    if (!firstChildByName_.contains(added->name_))
        firstChildByName_.insert(added->name_, added);
    if (!added->isLeaf_ && !firstFolderByName_.contains(added->name_))
        firstFolderByName_.insert(added->name_, added);
    return added;
}

void ArchiveEntry::countAdded(const ArchiveEntry &added, const ArchiveEntry *firstMade) {
    // Each folder made for the entry adds itself to the count of the folders above it.
    qint64 count = 1;
    bool inMade = firstMade != nullptr;
    for (ArchiveEntry *folder = added.parent_; folder; folder = folder->parent_) {
        folder->descendantCount_ += count;
        if (added.isLeaf_) {
            folder->totalSize_ += added.fields_.uncompressedSize;
            folder->compressedTotalSize_ += added.fields_.compressedSize;
        }
        if (inMade) {
            ++count;
            inMade = folder != firstMade;
        }
    }
}

ArchiveEntry *ArchiveEntry::findChild(const ArchiveEntry &entry) {
    ArchiveEntry *found = firstChildByName_.value(entry.name_, nullptr);
    if (found && !found->fields_.date && entry.fields_.date)
        found->fields_.date = entry.fields_.date;
    if (found && found->fields_.permission == 0)
        found->fields_.permission = entry.fields_.permission;
    return found;
}

ArchiveEntry *ArchiveEntry::findChildFolder(const QString &name) const {
    return firstFolderByName_.value(name, nullptr);
}

void ArchiveEntry::clear() {
    descendantCount_ = 0;
    totalSize_ = 0;
    compressedTotalSize_ = 0;
    firstChildByName_.clear();
    firstFolderByName_.clear();
    children_.clear();
}

quint64 ArchiveEntry::totalSizes(const QList<ArchiveEntry *> &entries) {
    quint64 total = 0;
    for (const ArchiveEntry *entry : entries)
        total += entry->totalSize_;
    return total;
}

int ArchiveEntry::compare(const ArchiveEntry &other) const {
    return QString::localeAwareCompare(name_.toCaseFolded(), other.name_.toCaseFolded());
}

QString ArchiveEntry::description() const {
    return QStringLiteral("<ArchiveEntry:%1>%2").arg(quintptr(this), 0, 16).arg(path());
}

QString ArchiveEntry::modifiedString() const {
    if (!fields_.date)
        return QStringLiteral("");
    return DateUtil::mediumString(*fields_.date);
}

QString ArchiveEntry::filesizeString() const {
    return sizeText(fields_.uncompressedSize);
}

QString ArchiveEntry::compressedString() const {
    return sizeText(fields_.compressedSize);
}
