// Builds entry trees of growing size and prints the time per entry. A per-entry time that stays
// flat as the tree grows shows that building is linear, also with one huge folder.
#include "archive/ArchiveEntry.h"

#include <QElapsedTimer>

#include <cstdio>

namespace {

double nanosPerEntry(int count, bool oneFolder) {
    auto root = ArchiveEntry::rootEntry();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const QString path =
            oneFolder ? QStringLiteral("folder/file%1.txt").arg(i)
                      : QStringLiteral("d%1/e%2/file%3.txt").arg(i % 97).arg(i % 13).arg(i);
        ArchiveEntry::Fields fields;
        fields.uncompressedSize = quint64(i);
        ArchiveEntry::addToRoot(std::make_unique<ArchiveEntry>(path, fields), root.get());
    }
    return double(timer.nsecsElapsed()) / count;
}

} // namespace

int main() {
    std::printf("%-28s %10s %14s\n", "tree", "entries", "ns per entry");
    for (const bool oneFolder : {false, true}) {
        const char *shape = oneFolder ? "one folder" : "nested folders";
        const int small = oneFolder ? 12500 : 50000;
        const double base = nanosPerEntry(small, oneFolder);
        const double large = nanosPerEntry(small * 4, oneFolder);
        std::printf("%-28s %10d %14.0f\n", shape, small, base);
        std::printf("%-28s %10d %14.0f\n", shape, small * 4, large);
        std::printf("%-28s %25.2f (near 1 means linear)\n", "  ratio 4x / 1x per entry",
                    large / base);
    }
    return 0;
}
