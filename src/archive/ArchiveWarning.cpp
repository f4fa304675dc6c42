#include "archive/ArchiveWarning.h"

#include "util/Localization.h"
#include "util/StringUtil.h"

QString ArchiveWarning::message() const {
    const QString shown = StringUtil::shortened(name);
    switch (kind) {
    case Kind::LinkLeftOut:
        return Engine::tr("Link %1 was left out: it points outside the extracted folder")
            .arg(shown);
    case Kind::SpecialFileLeftOut:
        return Engine::tr("%1 was left out: devices and pipes are never extracted").arg(shown);
    case Kind::EncryptedLinkLeftOut:
        return Engine::tr("Link %1 was left out: its target is encrypted in a way Kist cannot "
                          "read")
            .arg(shown);
    case Kind::NameTooLongLeftOut:
        return Engine::tr("%1 was left out: its name is too long for the disk").arg(shown);
    }
    return name;
}
