#include "archive/SevenZipLayout.h"
#include "archive/SevenZipVolumes.h"

#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

using namespace ArchiveKit;

// Hostile headers, and the split of the entries among workers on layouts written out by hand (the
// parser is checked against 7-Zip's own account of the archives of the parallel extraction test).

// A hostile header of a few megabytes whose counts multiply: 120,000 coders of 2,000,000
// streams each claim 2.4e11 streams. Reading stops where the header's bytes end.
TEST(SevenZipLayoutHostile, CountsThatMultiplyEndWithTheHeader) {
    // Header, main streams, unpack info, folders: one, in the header; 120,000 coders.
    QByteArray header("\x01\x04\x07\x0B\x01\x00\xC1\xC0\xD4", 9);
    // A coder of method 0x21 with 2,000,000 streams in and out (7-Zip's three-byte numbers).
    const QByteArray coder("\x11\x21\xDE\x80\x84\xDE\x80\x84", 8);
    header += coder.repeated(120000) + QByteArray(2200000, '\0');
    QByteArray start("7z\xBC\xAF\x27\x1C\x00\x04", 8);
    start += QByteArray(12, '\0');
    const quint64 size = quint64(header.size());
    for (int byte = 0; byte < 8; ++byte)
        start += char(size >> (8 * byte));
    start += QByteArray(4, '\0');
    ScratchDir dir;
    const QString path = writeFile(dir.path(), "hostile.7z", start + header);
    EXPECT_FALSE(SevenZipLayout::read({path}).has_value());
}

TEST(SevenZipSplit, GivesEachWorkerWholeBlocksOfAboutTheSameSize) {
    struct SplitRow {
        const char *label;
        // Entries as "name:folder" ("name/" for a folder, no ":" for an entry without data).
        const char *entries;
        const char *folderSizes; // the size of each block
        const char *selected;    // entry indexes, "" for the whole archive
        // The ranges as "first-end", "" for no split.
        const char *ranges;
    };

    const SplitRow rows[] = {
        {"two blocks of a size", "a:0, b:0, c:1, d:1", "100, 100", "", "0-2, 2-4"},
        {"a large block and a small one", "a:0, b:0, c:1", "900, 10", "", "0-2, 2-3"},
        {"small blocks gather before a large one", "a:0, b:1, c:2", "10, 10, 80", "", "0-2, 2-3"},
        {"entries without data go with the block before them", "d/, a:0, e, b:1, f/", "5, 5", "",
         "0-3, 3-5"},
        {"one block", "a:0, b:0, c:0", "300", "", ""},
        {"a selection within one block", "a:0, b:0, c:1", "100, 100", "0, 1", ""},
        {"a selection over the first and last of three", "a:0, b:1, c:2", "50, 50, 50", "0, 2",
         "0-2, 2-3"},
        {"the same file name in two blocks", "a:0, a:1", "100, 100", "", ""},
        {"names the same once sanitized", "./a:0, a:1", "100, 100", "", ""},
        {"a file that another's path goes through", "a:0, a/b:1", "100, 100", "", ""},
        {"a folder named twice", "d/, d/, d/x:0, d/y:1", "100, 100", "", "0-3, 3-4"},
    };
    for (const SplitRow &row : rows) {
        SCOPED_TRACE(row.label);
        SevenZipLayout layout;
        for (const QString &size : listOf(row.folderSizes))
            layout.folderSizes.push_back(size.toULongLong());
        for (const QString &item : listOf(row.entries)) {
            const QString name = item.section(':', 0, 0);
            const bool hasData = item.contains(':');
            layout.entries.push_back(
                {name.endsWith('/') ? name.chopped(1) : name,
                 hasData ? item.section(':', 1).toInt() : SevenZipLayout::kNoData,
                 name.endsWith('/'), 0, 0, std::nullopt});
        }
        QHash<quint64, QString> selection;
        for (const QString &index : listOf(row.selected))
            selection.insert(index.toULongLong(), "x");
        QStringList ranges;
        for (const EntryRange &range : layout.split(4, *row.selected ? &selection : nullptr))
            ranges << QStringLiteral("%1-%2").arg(range.first).arg(range.end);
        EXPECT_EQ(ranges, listOf(row.ranges));
    }
}
