#include "archive/ArchiveWarning.h"

#include "util/Localization.h"

QString ArchiveWarning::message() const {
    switch (kind) {
    case Kind::LinkLeftOut:
        return engineText("Link %1 was left out: it points outside the extracted folder").arg(name);
    case Kind::SpecialFileLeftOut:
        return engineText("%1 was left out: devices and pipes are never extracted").arg(name);
    }
    return name;
}
