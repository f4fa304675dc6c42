#pragma once

#include <QString>

// What the browser, the status line and the preview read of an item, whether it is an archive
// entry or a file on disk.
class IFileEntry {
public:
    virtual ~IFileEntry() = default;
    virtual QString name() const = 0;
    virtual QString path() const = 0;
    virtual QString modifiedString() const = 0;
    virtual QString filesizeString() const = 0;
    virtual QString createdString() const = 0;
    virtual QString compressedString() const = 0;
    virtual quint64 size() const = 0;
    virtual bool isLeaf() const = 0;
    // Children in order; a leaf has none.
    virtual qsizetype childCount() const = 0;
    virtual IFileEntry *childAt(qsizetype index) const = 0;
};
