#pragma once

#include <QStringList>

// The archives opened lately, newest first, kept in the settings for "Open Recent".
class RecentArchives {
public:
    RecentArchives() = delete;

    static constexpr qsizetype kLimit = 10;

    // The remembered archives that still exist.
    static QStringList paths();
    // Puts the archive first, dropping its older place and the oldest beyond the limit.
    static void add(const QString &path);
    static void clear();
};
