#include "DocumentFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void DocumentTest::shell(const QString &command) const {
    ASSERT_EQ(runShellIn(dir_.path(), command), 0) << qPrintable(command);
}

void DocumentTest::makeZip(const QString &name,
                           const QList<std::pair<QString, QByteArray>> &entries,
                           const QString &options) {
    if (entries.isEmpty()) {
        // The zip tool makes no archive without entries: the end record alone is one.
        ASSERT_FALSE(
            dir_.write(name, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')).isEmpty());
        return;
    }
    QDir().mkpath(QFileInfo(dir_.file(name)).absolutePath());
    for (const auto &[entryName, contents] : entries)
        ASSERT_FALSE(dir_.write("zip-source/" + entryName, contents).isEmpty());
    shell(QStringLiteral("cd zip-source && zip -qr %1 '../%2' . && cd .. && rm -r zip-source")
              .arg(options, name));
}

void DocumentTest::open(const QString &name) {
    document_.open(dir_.file(name));
    settle();
}

QStringList DocumentTest::topEntries() const {
    QStringList names;
    if (const ArchiveEntry *root = document_.rootEntry()) {
        for (const auto &child : root->children())
            names.append(child->name());
    }
    names.sort();
    return names;
}

void RecordingPane::viewFile(const std::optional<QString> &path) {
    QByteArray contents;
    if (QFile file(path.value_or(QString())); path && file.open(QIODevice::ReadOnly))
        contents = file.readAll();
    deliveries.append({path, contents});
}
