#include "DocumentFixture.h"

#include <QFileInfo>

#include <algorithm>

namespace {

class ClaimedSizes : public DocumentTest {};

// Entries that declare sizes far beyond their data: no allocation of that size, the reader's
// error, nothing placed. (Under AddressSanitizer an allocation that size would abort the test.)
TEST_F(ClaimedSizes, AbsurdSizesGiveAnErrorNotAnAllocation) {
    shell("mkdir -p z t && /usr/bin/python3 -c \"import tarfile, zipfile\n"
          "zipfile.ZipFile('z/big.zip', 'w').writestr('big.bin', b'0123456789')\n"
          "i = tarfile.TarInfo('big.bin'); i.size = 2**62\n"
          "open('t/big.tar', 'wb').write(i.tobuf(tarfile.GNU_FORMAT) + b'0123456789')\" && "
          "/usr/bin/python3 " KIST_TEST_DATA
          "/archive_maker.py claim-zip-size z/big.zip 4294967280");
    // The reader's own error, not a failed allocation's.
    const std::pair<QString, QString> rows[] = {
        {"z/big.zip", "big.bin is damaged: its data does not match its checksum"},
        {"t/big.tar", "Archive issues"},
    };
    for (const auto &[name, message] : rows) {
        SCOPED_TRACE(name.toStdString());
        ui_.calls.clear();
        open(name);
        if (document_.isViewing()) {
            run(&ArchiveDocument::extractAll);
        }
        const QStringList alerts = ui_.callsStartingWith("alert:");
        EXPECT_FALSE(alerts.isEmpty());
        for (const QString &alert : alerts)
            EXPECT_EQ(alert, "alert:" + message);
        EXPECT_EQ(namesIn(name.left(1)), QStringList{name.mid(2)});
    }
}

class CompressionBomb : public DocumentTest, public ::testing::WithParamInterface<QString> {};

// 100 MB of zeros packed into a few hundred kilobytes: the extraction shows progress while the
// one entry is written, not once it is done. (Cancelling one is in the readers' conformance
// table and CancelAtEveryPhase.)
TEST_P(CompressionBomb, ExtractsWithProgressAsTheEntryIsWritten) {
    constexpr qint64 kSize = 100 << 20;
    const QString name = "zeros." + GetParam();
    ASSERT_FALSE(ArchiveKit::makeZeros(dir_.file(name), kSize).isEmpty());
    open(name);
    ASSERT_TRUE(document_.isViewing());
    QList<quint64> values;
    ui_.onProgressValue = [&](quint64 value) {
        values.append(value);
    };
    run(&ArchiveDocument::extractAll);
    EXPECT_GE(values.size(), 5) << "progress shows while the entry is written";
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    const QString placed = GetParam() == QLatin1String("zip") ? "zeros.bin" : "zeros";
    EXPECT_EQ(QFileInfo(dir_.file(placed)).size(), kSize);
    EXPECT_EQ(namesIn(), (QStringList{placed, name}));
}

INSTANTIATE_TEST_SUITE_P(Formats, CompressionBomb, ::testing::Values("zip", "gz", "bz2"),
                         [](const auto &testInfo) { return testInfo.param.toStdString(); });

} // namespace
