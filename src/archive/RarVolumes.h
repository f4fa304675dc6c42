#pragma once

#include <QString>

// The volumes of a multi-volume RAR set, found by their names.
namespace RarVolumes {

// The name the first volume of the set the path belongs to has ("x.part01.rar" for
// "x.part03.rar", with the same number of digits); the path itself when its name is not numbered
// so. (rar 5 and later name volumes this way only.)
QString firstVolumeName(const QString &path);

} // namespace RarVolumes
