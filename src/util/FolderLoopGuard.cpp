#include "util/FolderLoopGuard.h"

#include "util/FileTree.h"

std::optional<FolderLoopGuard> FolderLoopGuard::enter(const QString &folder) const {
    const QString real = FileTree::resolveSymlinks(folder);
    if (chain_.contains(real))
        return std::nullopt;
    FolderLoopGuard inner = *this;
    inner.chain_.append(real);
    return inner;
}
