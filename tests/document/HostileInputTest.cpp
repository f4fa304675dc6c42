#include "DocumentFixture.h"
#include "archive/ArchiveError.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// What a reader reports: one of the domain's messages (a failed file named after the text) or
// the 7z reader's own.
bool isReaderMessage(const QString &alert) {
    QString message = alert;
    if (!message.startsWith(QLatin1String("alert:")))
        return false;
    message.remove(0, 6);
    for (const auto code : {ArchiveErrorCode::FailedOpenFile, ArchiveErrorCode::FailedOpenFirstFile,
                            ArchiveErrorCode::Parameter, ArchiveErrorCode::Archive,
                            ArchiveErrorCode::FailedToCreateFile, ArchiveErrorCode::Damaged,
                            ArchiveErrorCode::WrongPassword, ArchiveErrorCode::UnsupportedMethod,
                            ArchiveErrorCode::NotAnArchive, ArchiveErrorCode::MissingVolume,
                            ArchiveErrorCode::CutShort}) {
        // The message with any entry name in place of the marker.
        const QStringList parts =
            archiveError(code, QStringLiteral("\x01")).message.split(QChar(1));
        if (message.startsWith(parts.first()) && message.endsWith(parts.last()))
            return true;
    }
    return message == QLatin1String("could not extract files from 7z archive");
}

class ClaimedSizes : public DocumentTest {};

// Entries that declare sizes far beyond their data: no allocation of that size, the reader's
// error, nothing placed. (Under AddressSanitizer an allocation that size would abort the test.)
TEST_F(ClaimedSizes, AbsurdSizesGiveAnErrorNotAnAllocation) {
    shell("mkdir -p z t && /usr/bin/python3 -c \"import tarfile, zipfile\n"
          "zipfile.ZipFile('z/big.zip', 'w').writestr('big.bin', b'0123456789')\n"
          "i = tarfile.TarInfo('big.bin'); i.size = 2**62\n"
          "open('t/big.tar', 'wb').write(i.tobuf(tarfile.GNU_FORMAT) + b'0123456789')\"");
    ASSERT_TRUE(ArchiveKit::claimZipSize(dir_.file("z/big.zip"), 0xFFFFFFF0ULL));
    for (const QString name : {"z/big.zip", "t/big.tar"}) {
        SCOPED_TRACE(name.toStdString());
        ui_.calls.clear();
        open(name);
        if (document_.isViewing()) {
            document_.extractAll();
            settle();
        }
        const QStringList alerts = ui_.callsStartingWith("alert:");
        EXPECT_FALSE(alerts.isEmpty());
        for (const QString &alert : alerts)
            EXPECT_TRUE(isReaderMessage(alert)) << alert.toStdString();
        EXPECT_EQ(namesIn(name.left(1)), QStringList{name.mid(2)});
    }
}

class CompressionBomb : public DocumentTest, public ::testing::WithParamInterface<QString> {};

// 100 MB of zeros packed into a few hundred kilobytes: the extraction shows progress as it goes
// and a cancel after the first report leaves nothing; left alone it completes.
TEST_P(CompressionBomb, ExtractsWithProgressAndCanBeCancelled) {
    constexpr qint64 kSize = 100 << 20;
    const QString name = "zeros." + GetParam();
    ASSERT_FALSE(ArchiveKit::makeZeros(dir_.file(name), kSize).isEmpty());
    open(name);
    ASSERT_TRUE(document_.isViewing());
    cancelAtFirstProgress();
    ui_.calls.clear();
    document_.extractAll();
    settle();
    EXPECT_TRUE(ui_.acted);
    EXPECT_EQ(namesIn(), QStringList{name});
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());

    QList<quint64> values;
    ui_.onProgressValue = [&](quint64 value) {
        values.append(value);
    };
    document_.extractAll();
    settle();
    EXPECT_GE(values.size(), 5) << "progress shows while the entry is written";
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    const QString placed = GetParam() == QLatin1String("zip") ? "zeros.bin" : "zeros";
    EXPECT_EQ(QFileInfo(dir_.file(placed)).size(), kSize);
    EXPECT_EQ(namesIn(), (QStringList{placed, name}));
}

INSTANTIATE_TEST_SUITE_P(Formats, CompressionBomb, ::testing::Values("zip", "gz", "bz2"),
                         [](const auto &testInfo) { return testInfo.param.toStdString(); });

} // namespace
