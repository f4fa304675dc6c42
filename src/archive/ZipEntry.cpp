#include "archive/ZipEntry.h"

#include "util/DateUtil.h"
#include "util/FileUtil.h"
#include "util/Localization.h"

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
        .arg(FileUtil::formatSize(size))
        .arg(size)
        .arg(BasicLocalizedString("Bytes"));
}

} // namespace

ZipEntry::ZipEntry(const QString &path, const Fields &fields, ZipEntry *parent)
    : name_(FileUtil::getFileName(path))
    , path_(path)
    , isLeaf_(!path.endsWith(QLatin1Char('/')))
    , fields_(fields)
    , parent_(parent) {
    if (isLeaf_) {
        totalSize_ = fields_.uncompressedSize;
        compressTotalSize_ = fields_.compressedSize;
    }
}

std::unique_ptr<ZipEntry> ZipEntry::rootEntry() {
    return std::make_unique<ZipEntry>(kSlash);
}

QString ZipEntry::leadingPath() const {
    return deletingLastPathComponent(path_).toString();
}

bool ZipEntry::addToRootEntry(std::unique_ptr<ZipEntry> entry, ZipEntry *root) {
    ZipEntry *folder = root;
    const QStringView leading = deletingLastPathComponent(entry->path_);
    for (const QStringView component : QStringTokenizer(leading, u'/', Qt::SkipEmptyParts)) {
        // The name is only looked up (and copied when a folder is made): no copy per component.
        const QString name = QString::fromRawData(component.data(), component.size());
        folder = folder->childDirectoryEntryWithName(name, true);
        if (!folder)
            return false;
    }
    entry->parent_ = folder;
    return folder->addChildEntry(std::move(entry), true);
}

ZipEntry *ZipEntry::childDirectoryEntryWithName(const QString &name, bool createIfNotPresent) {
    if (ZipEntry *found = findDirEntryCheckLeaf(name))
        return found;
    if (!createIfNotPresent || isLeaf_)
        return nullptr;
    QString base = path_;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    auto folder = std::make_unique<ZipEntry>(base + kSlash + name + kSlash, Fields{}, this);
    ZipEntry *created = folder.get();
    addChildEntry(std::move(folder), false);
    return created;
}

bool ZipEntry::addChildEntry(std::unique_ptr<ZipEntry> child, bool checkIfExists) {
    if (isLeaf_)
        return false;
    if (checkIfExists && findDirEntry(*child))
        return false;
    child->parent_ = this;
    ZipEntry *added = child.get();
    children_.push_back(std::move(child));
    // The indexes keep the first child of a name, as a scan from the front would find it.
    if (!firstChildByName_.contains(added->name_))
        firstChildByName_.insert(added->name_, added);
    if (!added->isLeaf_ && !firstFolderByName_.contains(added->name_))
        firstFolderByName_.insert(added->name_, added);
    for (ZipEntry *folder = this; folder; folder = folder->parent_) {
        folder->totalNumber_ += 1;
        if (added->isLeaf_) {
            folder->totalSize_ += added->fields_.uncompressedSize;
            folder->compressTotalSize_ += added->fields_.compressedSize;
        }
    }
    return true;
}

ZipEntry *ZipEntry::findDirEntry(const ZipEntry &entry) {
    ZipEntry *found = firstChildByName_.value(entry.name_, nullptr);
    if (found && !found->fields_.date && entry.fields_.date)
        found->fields_.date = entry.fields_.date;
    return found;
}

ZipEntry *ZipEntry::findDirEntryCheckLeaf(const QString &name) const {
    return firstFolderByName_.value(name, nullptr);
}

void ZipEntry::clear() {
    totalNumber_ = 0;
    totalSize_ = 0;
    compressTotalSize_ = 0;
    firstChildByName_.clear();
    firstFolderByName_.clear();
    children_.clear();
}

quint64 ZipEntry::totalSizes(const QList<ZipEntry *> &entries) {
    quint64 total = 0;
    for (const ZipEntry *entry : entries)
        total += entry->totalSize_;
    return total;
}

int ZipEntry::compare(const ZipEntry &other) const {
    return QString::localeAwareCompare(name_.toCaseFolded(), other.name_.toCaseFolded());
}

QString ZipEntry::description() const {
    return QStringLiteral("<ZipEntry:%1>%2").arg(quintptr(this), 0, 16).arg(path_);
}

QString ZipEntry::modifiedString() const {
    if (!fields_.date)
        return QStringLiteral("");
    return DateUtil::mediumString(*fields_.date);
}

QString ZipEntry::filesizeString() const {
    return sizeText(fields_.uncompressedSize);
}

QString ZipEntry::compressedString() const {
    return sizeText(fields_.compressedSize);
}
