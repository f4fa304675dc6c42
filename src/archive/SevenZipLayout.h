#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <limits>
#include <optional>
#include <vector>

// The entries from first up to, not including, end, counted in archive order.
struct EntryRange {
    quint64 first = 0;
    quint64 end = std::numeric_limits<quint64>::max();
};

// Which solid block ("folder") of a 7z archive holds each entry's data, as the archive's own
// header records it. libarchive decodes the folders but does not say where one ends; knowing it
// lets independent folders be decoded side by side.
struct SevenZipLayout {
    static constexpr int kNoData = -1;

    struct Entry {
        QString name; // as stored, with the archive's separators
        int folder;   // kNoData for folders and empty files
        bool isFolder;
        // Where the entry's data lies in its folder's decoded stream, and its checksum.
        quint64 offset = 0;
        quint64 size = 0;
        std::optional<quint32> crc;
    };

    // A folder whose data is one LZMA2 stream, the way 7-Zip packs most archives: where that
    // stream lies in the files laid end to end, and the dictionary size it was made with.
    struct Lzma2Stream {
        quint64 offset = 0;
        quint64 size = 0;
        quint32 dictionary = 0;
    };

    // Reads the header of the archive held in these files (one file, or a volume set's parts in
    // order). None when it cannot be read: damaged, encrypted, or laid out in a way 7-Zip never
    // writes.
    static std::optional<SevenZipLayout> read(const QStringList &files);

    // The ranges of entries that workers can extract side by side, one for each of at most
    // `workers` of them, each holding whole folders of about the same size. With a selection
    // (by entry index) only the folders holding selected entries count. None when splitting
    // gains nothing, or when entries of different ranges could land on the same path.
    std::vector<EntryRange> split(int workers, const QHash<quint64, QString> *selection) const;

    // Every entry, in the order libarchive walks them.
    std::vector<Entry> entries;
    // The decoded size of each folder.
    std::vector<quint64> folderSizes;
    // The entries that are symbolic links, by index: libarchive reads their targets itself.
    std::vector<quint64> links;
    // For each folder, its LZMA2 stream; none when it is packed any other way.
    std::vector<std::optional<Lzma2Stream>> lzma2Streams;

private:
    // Two entries write the same path, or one writes below another's file.
    bool hasClashingPaths() const;
};
