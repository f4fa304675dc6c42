#include "document/FileSystemNode.h"

#include "settings/Preferences.h"
#include "util/DateUtil.h"
#include "util/FileAttributes.h"
#include "util/Localization.h"
#include "util/PathUtil.h"
#include "util/StringUtil.h"

#include <QDir>
#include <QFileInfo>

FileSystemNode::FileSystemNode(const QString &path)
    : path_(path) {
}

QString FileSystemNode::name() const {
    return PathUtil::fileName(path_);
}

bool FileSystemNode::isDirectory() const {
    return QFileInfo(path_).isDir();
}

quint64 FileSystemNode::size() const {
    return FileAttributes::fileSize(path_);
}

QString FileSystemNode::filesizeString() const {
    const quint64 bytes = size();
    return QStringLiteral("%1/%2 %3")
        .arg(StringUtil::formatSize(bytes))
        .arg(bytes)
        .arg(Engine::tr("Bytes"));
}

QString FileSystemNode::modifiedString() const {
    const auto date = FileAttributes::modifiedDate(path_);
    return date ? DateUtil::mediumString(*date) : QStringLiteral("");
}

QString FileSystemNode::createdString() const {
    const auto date = FileAttributes::createdDate(path_);
    return date ? DateUtil::mediumString(*date) : QStringLiteral("");
}

FileSystemNode::List FileSystemNode::readChildren() const {
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System;
    if (!Preferences::ignoreHiddenFiles())
        filters |= QDir::Hidden;
    List nodes;
    for (const QFileInfo &info : QDir(path_).entryInfoList(filters, QDir::NoSort))
        nodes.append(create(info.filePath()));
    return nodes;
}

FileSystemNode::List FileSystemNode::children() {
    if (isRoot())
        return children_.value_or(List());
    if (!children_ || childrenDirty_) {
        children_ = readChildren();
        childrenDirty_ = false;
    }
    return *children_;
}

qsizetype FileSystemNode::childCount() const {
    return const_cast<FileSystemNode *>(this)->children().size();
}

IFileEntry *FileSystemNode::childAt(qsizetype index) const {
    return const_cast<FileSystemNode *>(this)->children().at(index).get();
}

bool FileSystemNode::contains(const FileSystemNode &node, const List &items) {
    for (const Ptr &item : items) {
        if (*item == node ||
            item->displayName().compare(node.displayName(), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool FileSystemNode::addChildren(const List &nodes) {
    QMutexLocker locker(&lock_);
    if (!children_) {
        children_ = nodes;
        return true;
    }
    const List reference = *children_;
    List result = reference;
    for (const Ptr &node : nodes) {
        if (!contains(*node, reference))
            result.append(node);
    }
    children_ = result;
    return true;
}

bool FileSystemNode::removeItems(const List &nodes) {
    QMutexLocker locker(&lock_);
    if (!children_)
        return true;
    List kept;
    for (const Ptr &child : *children_) {
        const bool removed = std::any_of(nodes.begin(), nodes.end(),
                                         [&](const Ptr &node) { return *node == *child; });
        if (!removed)
            kept.append(child);
    }
    children_ = kept;
    return true;
}

void FileSystemNode::invalidateChildren() {
    childrenDirty_ = true;
    if (children_) {
        for (const Ptr &child : *children_)
            child->invalidateChildren();
    }
}

void FileSystemNode::clear() {
    QMutexLocker locker(&lock_);
    children_.reset();
}
