#pragma once

#include <QString>

// Why an archive could not be written: the writer's message, and whether the disk ran out of
// room, which the caller tells under the archive's own name rather than the staging file's.
struct WriteFailure {
    QString message;
    bool outOfSpace = false;
};
