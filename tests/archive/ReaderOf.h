#pragma once

#include "archive/LibarchiveReader.h"
#include "archive/ReaderBase.h"

// The reader of one row of a table of archives: a function that makes it, for every kind.

using MakeReader = std::unique_ptr<ReaderBase> (*)(const QString &path, ArchiveEntry *root,
                                                   const QString &password);

template <class Reader>
std::unique_ptr<ReaderBase> readerOf(const QString &path, ArchiveEntry *root,
                                     const QString &password) {
    return ReaderBase::create<Reader>(path, root, nullptr, password);
}

// libarchive's reader, told the kind as the application's sniffing tells it.
template <ArchiveKind kind>
std::unique_ptr<ReaderBase> libarchiveOf(const QString &path, ArchiveEntry *root,
                                         const QString &password) {
    return ReaderBase::create<LibarchiveReader>(path, root, nullptr, password, kAutomaticEncoding,
                                                kind);
}

// The message of the reader's error, empty when none.
inline QString messageOf(const ReaderBase &reader) {
    return reader.archiveError() ? reader.archiveError()->message : QString();
}
