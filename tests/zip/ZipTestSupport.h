#pragma once

#include "support/TestDirs.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable names in assertion messages.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

// One entry as python's zipfile reads it.
struct ZipItem {
    QString name;
    quint32 mode = 0;   // upper 16 bits of the external attributes
    int flags = 0;      // general purpose bits
    int system = 0;     // host of "version made by"
    int method = 0;     // compression method
    quint64 size = 0;   // uncompressed size
    QString sha;        // sha256 of the data
    QString linkTarget; // the data of a link entry
    QDateTime date;     // local time
};

struct ZipListing {
    bool valid = false; // the archive opened and every CRC matched
    QList<ZipItem> items;
};

// Reads the archive with python's zipfile; withData false skips reading the contents.
ZipListing inspectZip(const QString &archive, bool withData = true);
QStringList namesOf(const ZipListing &listing);

// Every item below the folder by relative path: "dir", "link:TARGET" or "file:SHA256".
QMap<QString, QString> snapshot(const QString &root);
// The permission bits of every file and folder below the root (links left out).
QMap<QString, int> modesBelow(const QString &root);

// Bytes that deflate cannot shrink much, the same for every run.
QByteArray pseudoRandomBytes(qsizetype size, quint32 seed);

// A folder "Photos" in the parent with files, an empty folder, an executable, hidden items, a
// link to a file, a dangling link and non-ASCII names; returns its path.
QString makeSampleTree(const QString &parent);
