#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The folders a walk is inside, by their real paths, so that a symbolic link leading back to
// one of them is not entered again and the walk ends on a cycle of links.
class FolderLoopGuard {
public:
    // The chain extended by the folder; none when the walk is already inside that folder.
    std::optional<FolderLoopGuard> enter(const QString &folder) const;

private:
    QStringList chain_;
};
