#pragma once

#include <QStringView>

#include <memory>
#include <vector>

class ArchiveEntry;

// Finds a folder's children by name in constant time: for each name, the first child leaf and the
// first child folder. It holds positions in the folder's child list, four bytes per slot, and is
// only built once a folder has more children than a scan finds quickly.
class ChildIndex {
public:
    using Children = std::vector<std::unique_ptr<ArchiveEntry>>;

    // The position of the first child of that name and kind; -1 when there is none.
    qsizetype find(const Children &children, QStringView name, bool folder) const;
    // Records the child just appended at the end of the list, unless an earlier child of its
    // name and kind is recorded.
    void added(const Children &children);
    void clear();

private:
    // Positions plus one; 0 marks a free slot.
    std::vector<quint32> slots_;
    size_t used_ = 0;

    static size_t hash(QStringView name, bool folder);
    size_t slotOf(const Children &children, QStringView name, bool folder) const;
    void rebuild(const Children &children, size_t capacity);
};
