#pragma once

#include <QList>
#include <QString>

// Something an operation left out although it succeeded, named by the archive's own entry
// name; the caller shows these after the result.
struct ArchiveWarning {
    enum class Kind {
        // A symbolic link whose target is absolute or leads out of the extracted tree.
        LinkLeftOut,
        // A device, pipe or socket entry.
        SpecialFileLeftOut,
        // An entry whose name, or the path to it, is longer than the file system takes.
        NameTooLongLeftOut,
        // A symbolic link whose target is stored AES-encrypted, which the decoder cannot read.
        EncryptedLinkLeftOut,
    };
    Kind kind;
    QString name;

    bool operator==(const ArchiveWarning &) const = default;

    // The localized sentence for the warning, naming the entry.
    QString message() const;
};

using ArchiveWarnings = QList<ArchiveWarning>;
