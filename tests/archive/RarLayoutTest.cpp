#include "archive/RarReader.h"
#include "support/ArchiveKit.h"

#include "archive/UnrarApi.h"
#include "archive/Utf8CtypeScope.h"
#include "util/FileAttributes.h"

#include <QFile>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <zlib.h>

// Our declarations of the RAR library's records, read back from archives made by rar: a field at
// a wrong offset gives wrong names, sizes, checksums, times or flags here.

using namespace ArchiveKit;
using namespace Unrar;

namespace {

// 100-nanosecond steps since 1601, as the library reports precise times.
qint64 unixSeconds(unsigned int low, unsigned int high) {
    return qint64(((quint64(high) << 32) | low) / 10000000) - 11644473600;
}

struct Read {
    unsigned int archiveFlags = 0;
    std::map<QString, RARHeaderDataEx> headers; // by wide name; flags of split parts are merged
    int end = -1;                               // what ended the reading
};

// Every header of the archive, read with our declarations alone.
Read list(const QString &archive, unsigned int mode) {
    const Utf8CtypeScope utf8;
    Read read;
    QByteArray name = QFile::encodeName(archive);
    RAROpenArchiveDataEx open{};
    open.ArcName = name.data();
    open.OpenMode = mode;
    void *handle = RAROpenArchiveEx(&open);
    EXPECT_EQ(open.OpenResult, unsigned(ERAR_SUCCESS));
    if (!handle)
        return read;
    read.archiveFlags = open.Flags;
    auto h = std::make_unique<RARHeaderDataEx>();
    while ((read.end = RARReadHeaderEx(handle, h.get())) == ERAR_SUCCESS) {
        const auto [it, added] = read.headers.emplace(QString::fromWCharArray(h->FileNameW), *h);
        if (!added)
            it->second.Flags |= h->Flags;
        EXPECT_EQ(RARProcessFile(handle, RAR_SKIP, nullptr, nullptr), ERAR_SUCCESS);
    }
    EXPECT_EQ(RARCloseArchive(handle), ERAR_SUCCESS);
    return read;
}

} // namespace

TEST(UnrarApiLayout, FileHeadersAndFlagsOfRealArchives) {
    const struct {
        const char *name;
        QByteArray content;
        QDateTime date;
        unsigned mode;
    } stored[] = {
        {"a.txt", "hello\n", localDate(2019, 8, 7, 6, 5, 4), 0640},
        {"dir/ünï.bin", QByteArray(300000, 'z'), localDate(2018, 3, 2, 1, 0, 58), 0755},
    };
    const QDateTime folderDate = localDate(2017, 1, 2, 3, 4, 6);
    ScratchDir dir;
    const QString source = dir.file("src");
    for (const auto &file : stored) {
        writeFile(source, QString::fromUtf8(file.name), file.content, file.date);
        ::chmod(QFile::encodeName(source + "/" + QString::fromUtf8(file.name)).constData(),
                file.mode);
    }
    FileAttributes::setModifiedDate(folderDate, source + "/dir");
    const QString archive = dir.file("layout.rar");
    ASSERT_TRUE(makeRar(source, "-r", archive, "a.txt dir"));

    EXPECT_GE(RARGetDllVersion(), 8);
    const Read read = list(archive, RAR_OM_LIST);
    EXPECT_EQ(read.end, ERAR_END_ARCHIVE);
    EXPECT_EQ(read.archiveFlags & (ROADF_VOLUME | ROADF_ENCHEADERS | ROADF_FIRSTVOLUME), 0u);
    const auto &headers = read.headers;
    ASSERT_EQ(headers.size(), 3u);
    for (const auto &file : stored) {
        SCOPED_TRACE(file.name);
        const QString name = QString::fromUtf8(file.name);
        ASSERT_EQ(headers.count(name), 1u);
        const RARHeaderDataEx &header = headers.at(name);
        EXPECT_EQ(std::string(header.FileName), std::string(file.name));
        EXPECT_EQ(header.Flags, 0u);
        EXPECT_EQ(header.UnpSize, unsigned(file.content.size()));
        EXPECT_EQ(header.UnpSizeHigh, 0u);
        EXPECT_EQ(header.PackSizeHigh, 0u);
        EXPECT_EQ(header.HostOS, HOST_UNIX);
        EXPECT_EQ(header.FileCRC,
                  unsigned(crc32(0, reinterpret_cast<const Bytef *>(file.content.data()),
                                 uInt(file.content.size()))));
        EXPECT_EQ(RarReader::dosDateTime(header.FileTime), file.date);
        EXPECT_EQ(unixSeconds(header.MtimeLow, header.MtimeHigh), file.date.toSecsSinceEpoch());
        EXPECT_EQ(header.FileAttr, unsigned(S_IFREG) | file.mode);
    }
    EXPECT_EQ(headers.at("a.txt").PackSize, 6u);
    EXPECT_LT(headers.at(QString::fromUtf8("dir/ünï.bin")).PackSize, 300000u);
    const RARHeaderDataEx &folder = headers.at("dir");
    EXPECT_EQ(folder.Flags, RHDF_DIRECTORY);
    EXPECT_EQ(folder.FileAttr & S_IFMT, unsigned(S_IFDIR));
    EXPECT_EQ(unixSeconds(folder.MtimeLow, folder.MtimeHigh), folderDate.toSecsSinceEpoch());

    // The flags of volumes, of a file split over them and of encrypted headers.
    writeFile(source, "big.bin", noise(150000, 9));
    ASSERT_TRUE(makeRar(source, "-m0 -v100k", dir.file("set.rar"), "big.bin"));
    ASSERT_TRUE(makeRar(source, "-hpsecret", dir.file("hidden.rar"), "big.bin"));

    const Read first = list(dir.file("set.part1.rar"), RAR_OM_LIST_INCSPLIT);
    EXPECT_EQ(first.archiveFlags & (ROADF_VOLUME | ROADF_FIRSTVOLUME),
              ROADF_VOLUME | ROADF_FIRSTVOLUME);
    ASSERT_EQ(first.headers.count("big.bin"), 1u);
    EXPECT_EQ(first.headers.at("big.bin").Flags, RHDF_SPLITBEFORE | RHDF_SPLITAFTER);

    const Read second = list(dir.file("set.part2.rar"), RAR_OM_LIST);
    EXPECT_EQ(second.archiveFlags & (ROADF_VOLUME | ROADF_FIRSTVOLUME), ROADF_VOLUME);

    const Read hidden = list(dir.file("hidden.rar"), RAR_OM_LIST);
    EXPECT_EQ(hidden.archiveFlags & ROADF_ENCHEADERS, ROADF_ENCHEADERS);
    EXPECT_EQ(hidden.end, ERAR_MISSING_PASSWORD);
    EXPECT_TRUE(hidden.headers.empty());
}

// The MS-DOS times of the records, where out-of-range fields carry over as calendar fields do.
TEST(RarDates, MSDOSValues) {
    const auto dos = [](quint32 year, quint32 month, quint32 day, quint32 hour, quint32 minute,
                        quint32 halfSeconds) {
        return year << 25 | month << 21 | day << 16 | hour << 11 | minute << 5 | halfSeconds;
    };
    const QTimeZone utc = QTimeZone::utc();
    const std::pair<quint32, QDateTime> cases[] = {
        {dos(41, 3, 4, 5, 6, 29), QDateTime(QDate(2021, 3, 4), QTime(5, 6, 58), utc)},
        {dos(0, 1, 1, 0, 0, 0), QDateTime(QDate(1980, 1, 1), QTime(0, 0), utc)},
        {dos(127, 12, 31, 23, 59, 29), QDateTime(QDate(2107, 12, 31), QTime(23, 59, 58), utc)},
        // Out-of-range fields carry over the way calendar components do.
        {dos(0, 0, 0, 0, 0, 0), QDateTime(QDate(1979, 11, 30), QTime(0, 0), utc)},
        {dos(10, 2, 28, 24, 0, 0), QDateTime(QDate(1990, 3, 1), QTime(0, 0), utc)},
    };
    for (const auto &[value, expected] : cases)
        EXPECT_EQ(RarReader::dosDateTime(value, utc), expected) << value;
}
