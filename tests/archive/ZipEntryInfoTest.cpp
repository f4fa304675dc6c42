#include "archive/ZipEntryInfo.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <zlib.h>

namespace {

QByteArray block(quint16 tag, const QByteArray &data) {
    QByteArray out(4, '\0');
    qToLittleEndian<quint16>(tag, out.data());
    qToLittleEndian<quint16>(quint16(data.size()), out.data() + 2);
    return out + data;
}

// An Info-ZIP Unicode Path field for the raw name (or another name's CRC).
QByteArray unicodePath(const QByteArray &crcOf, const QString &name, char version = 1) {
    QByteArray data(5, '\0');
    data[0] = version;
    qToLittleEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef *>(crcOf.constData()), uInt(crcOf.size()))),
        data.data() + 1);
    return block(0x7075, data + name.toUtf8());
}

ZipEntryInfo entry(const QByteArray &raw, quint16 flag = 0, const QByteArray &extra = {}) {
    ZipEntryInfo info;
    info.rawName = raw;
    info.flag = flag;
    info.extraField = extra;
    return info;
}

} // namespace

TEST(ZipEntryInfo, DeclaredUtf8Names) {
    const QByteArray raw("caf\x82.txt");
    const QByteArray timestamp = block(0x5455, QByteArray(5, '\1'));
    const QList<std::tuple<const char *, ZipEntryInfo, std::optional<QString>>> cases = {
        {"flag", entry(QString("отчёт.txt").toUtf8(), 0x0800), "отчёт.txt"},
        {"flag on bytes that are no UTF-8", entry(raw, 0x0800), std::nullopt},
        {"field after another", entry(raw, 0, timestamp + unicodePath(raw, "café.txt")),
         "café.txt"},
        {"field of another name", entry(raw, 0, unicodePath("cafe.txt", "café.txt")), std::nullopt},
        {"field of an unknown version", entry(raw, 0, unicodePath(raw, "café.txt", 2)),
         std::nullopt},
        {"field cut short", entry(raw, 0, unicodePath(raw, "café.txt").left(12)), std::nullopt},
        {"nothing declared", entry(raw), std::nullopt},
    };
    for (const auto &[label, info, expected] : cases)
        EXPECT_EQ(info.declaredUtf8Name(), expected) << label;
}

TEST(ZipEntryInfo, HostSystemIsTheHighByteOfVersionMadeBy) {
    const std::pair<quint16, NameHostSystem> cases[] = {
        {0x0014, NameHostSystem::DosOrWindows}, // MS-DOS, FAT
        {0x0A3F, NameHostSystem::DosOrWindows}, // NTFS as PKWARE numbers it
        {0x0B1E, NameHostSystem::DosOrWindows}, // NTFS as Info-ZIP numbers it
        {0x0E14, NameHostSystem::DosOrWindows}, // VFAT
        {0x0314, NameHostSystem::Other},        // Unix
        {0x1314, NameHostSystem::Other},        // macOS
        {0x0700, NameHostSystem::Other},        // classic Macintosh
    };
    for (const auto &[versionMadeBy, host] : cases) {
        ZipEntryInfo info;
        info.versionMadeBy = versionMadeBy;
        EXPECT_EQ(info.nameHostSystem(), host) << std::hex << versionMadeBy;
    }
}
