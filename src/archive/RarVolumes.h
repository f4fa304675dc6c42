#pragma once

#include <QString>

// The volumes of a multi-volume RAR set, found by their names.
namespace RarVolumes {

// The first volume of the set the path belongs to ("x.part01.rar" for "x.part03.rar", with the
// same number of digits), when it exists beside it; else the path itself. (rar 5 and later name
// volumes this way only.)
QString firstVolume(const QString &path);

} // namespace RarVolumes
