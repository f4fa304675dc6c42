#include "DocumentFixture.h"
#include "archive/ArchiveError.h"
#include "document/ArchiveRules.h"
#include "support/HostileArchives.h"
#include "util/TempFolders.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

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

// Every regular file below the folder with its contents, links not followed.
QMap<QString, QByteArray> filesWithContents(const QString &folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(it.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

// Items the temporary root holds (scratch folders of readers and of the document).
QStringList temporaries() {
    return QDir(TempFolders::root())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Which formats must notice a damage: all of them, those that check their data with a CRC, or
// none (metadata without a checksum, such as a zip's central directory names, or a RAR cut
// right after its signature, which the RAR library reads as an empty archive).
enum class Detected { Always, WhenDataIsChecked, NotRequired };

struct Damage {
    const char *label;
    QByteArray (*apply)(const QByteArray &);
    Detected detected;
};

const Damage kDamages[] = {
    {"cut in half", [](const QByteArray &b) { return HostileArchives::truncated(b, b.size() / 2); },
     Detected::Always},
    {"first 10 bytes", [](const QByteArray &b) { return HostileArchives::truncated(b, 10); },
     Detected::NotRequired},
    {"signature flipped", [](const QByteArray &b) { return HostileArchives::flipped(b, 0, 4); },
     Detected::Always},
    {"middle flipped",
     [](const QByteArray &b) { return HostileArchives::flipped(b, b.size() / 2, 16); },
     Detected::WhenDataIsChecked},
    {"end flipped",
     [](const QByteArray &b) { return HostileArchives::flipped(b, b.size() - 40, 16); },
     Detected::NotRequired},
};

class DamagedArchives : public DocumentTest, public ::testing::WithParamInterface<QString> {};

// Each damaged copy is opened and extracted: the reader's error is shown, or, when the damage
// went unnoticed, only whole and correct files appear; never a staging folder or a temporary
// left behind, never an item outside the copy's folder.
TEST_P(DamagedArchives, GiveTheReadersErrorAndLeaveNothingBehind) {
    const QString format = GetParam();
    const QByteArray data = randomBytes(20000);
    dir_.write("src/data.bin", data);
    if (format != QLatin1String("gz") && format != QLatin1String("bz2"))
        dir_.write("src/docs/notes.txt", QByteArray("notes ").repeated(300));
    const QMap<QString, QByteArray> originals = filesWithContents(dir_.file("src"));
    const QString archive =
        HostileArchives::makeArchive(dir_.file("src"), dir_.file("a." + format));
    ASSERT_FALSE(archive.isEmpty());
    const QByteArray valid = read("a." + format);
    const QStringList temporariesBefore = temporaries();
    QStringList expectedItems{"a." + format, "src"};

    for (const Damage &damage : kDamages) {
        SCOPED_TRACE(damage.label);
        const QString folder = QString::fromLatin1(damage.label).replace(' ', '-');
        const QString name = folder + "/a." + format;
        dir_.write(name, damage.apply(valid));
        ui_.calls.clear();
        open(name);
        if (document_.isViewing()) {
            document_.extractAll();
            settle();
        }
        const QStringList alerts = ui_.callsStartingWith("alert:");
        for (const QString &alert : alerts)
            EXPECT_TRUE(isReaderMessage(alert)) << alert.toStdString();
        const bool mustFail =
            damage.detected == Detected::Always ||
            (damage.detected == Detected::WhenDataIsChecked && HostileArchives::checksData(format));
        // Content that shows no archive at all is refused before any reader (the window says so).
        const bool refused = !ArchiveRules::archiveKind(dir_.file(name));
        EXPECT_TRUE(!mustFail || !alerts.isEmpty() || refused) << "the damage goes unreported";
        // A compressed stream cut short keeps the entries (or, alone, the data) before the cut.
        const bool cutShort =
            alerts.contains("alert:" + archiveError(ArchiveErrorCode::CutShort).message);
        QStringList left = namesIn(folder);
        left.removeOne("a." + format);
        if (!alerts.isEmpty() && !cutShort) {
            EXPECT_EQ(left, QStringList()) << "nothing is placed after an error";
        }
        for (const QString &item : left)
            EXPECT_FALSE(item.startsWith('.')) << "staging folder left: " << item.toStdString();
        if (HostileArchives::checksData(format)) {
            const auto placed = filesWithContents(dir_.file(folder));
            for (auto it = placed.begin(); it != placed.end(); ++it) {
                const bool partOfData =
                    cutShort && !it.value().isEmpty() && data.startsWith(it.value());
                if (it.key() != "a." + format && !partOfData) {
                    EXPECT_TRUE(originals.values().contains(it.value()))
                        << "damaged contents placed as " << it.key().toStdString();
                }
            }
        }
        expectedItems.append(folder);
        expectedItems.sort();
        EXPECT_EQ(namesIn(), expectedItems) << "nothing lands beside the damaged copies";
        // The gzip and bzip2 readers keep what they decompressed while the archive is open.
        if ((!alerts.isEmpty() && !cutShort) || !document_.isViewing()) {
            EXPECT_EQ(temporaries(), temporariesBefore) << "a failed decompression keeps nothing";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, DamagedArchives,
                         ::testing::ValuesIn(HostileArchives::formats()),
                         [](const auto &testInfo) { return testInfo.param.toStdString(); });

} // namespace

namespace {

// Entries that try to leave the destination: ".." and absolute names, backslash variants, and a
// link to a folder outside followed by an entry written through it. Python writes tar and zip,
// bsdtar 7z (the link entry first, the entry through it from a real folder of that name).
const char *const kHostileTreeScript = R"(
import io, os, stat, sys, tarfile, zipfile
fmt, archive, outside = sys.argv[1], sys.argv[2], sys.argv[3]
names = ['../up.txt', '/abs.txt', 'a/../../up2.txt', '..\\back.txt', 'ok\\..\\..\\back2.txt']
if fmt == 'zip':
    with zipfile.ZipFile(archive, 'w') as z:
        for n in names:
            z.writestr(n, b'x')
        link = zipfile.ZipInfo('esc')
        link.create_system = 3
        link.external_attr = (stat.S_IFLNK | 0o777) << 16
        z.writestr(link, outside)
        z.writestr('esc/victim.txt', b'x')
else:
    mode = {'tar': 'w', 'tgz': 'w:gz', 'tbz': 'w:bz2'}[fmt]
    with tarfile.open(archive, mode, format=tarfile.GNU_FORMAT) as t:
        for n in names + ['esc/victim.txt']:
            if n == 'esc/victim.txt':
                link = tarfile.TarInfo('esc'); link.type = tarfile.SYMTYPE; link.linkname = outside
                t.addfile(link)
            info = tarfile.TarInfo(n); info.size = 1
            t.addfile(info, io.BytesIO(b'x'))
)";

class HostileNames : public DocumentTest, public ::testing::WithParamInterface<QString> {};

TEST_P(HostileNames, NothingIsWrittenOutsideTheArchivesFolder) {
    const QString format = GetParam();
    const QString archive = dir_.file("in/h." + format);
    QDir(dir_.path()).mkpath("in");
    QDir(dir_.path()).mkpath("outside");
    if (format == QLatin1String("7z")) {
        shell(QStringLiteral("mkdir -p s1 s2/esc && ln -s %1 s1/esc && echo x > s2/esc/victim.txt "
                             "&& echo x > s2/up.txt && bsdtar --format 7zip -cf in/h.7z "
                             "-s ',^up,../up,' -C s1 esc -C ../s2 esc/victim.txt up.txt "
                             "&& rm -r s1 s2")
                  .arg(dir_.file("outside")));
    } else {
        dir_.write("make.py", kHostileTreeScript);
        shell(QStringLiteral("/usr/bin/python3 make.py %1 %2 %3 && rm make.py")
                  .arg(format, archive, dir_.file("outside")));
    }
    open("in/h." + format);
    ASSERT_TRUE(document_.isViewing());
    document_.extractAll();
    settle();
    EXPECT_EQ(namesIn("outside"), QStringList()) << "nothing written through the link";
    EXPECT_EQ(namesIn(), (QStringList{"in", "outside"}));
    for (const QString &item : namesIn("in"))
        EXPECT_FALSE(item.startsWith('.')) << "staging folder left: " << item.toStdString();
    for (const QString &alert : ui_.callsStartingWith("alert:"))
        EXPECT_TRUE(isReaderMessage(alert)) << alert.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, HostileNames,
                         ::testing::Values("zip", "7z", "tar", "tgz", "tbz"),
                         [](const auto &testInfo) { return testInfo.param.toStdString(); });

class ClaimedSizes : public DocumentTest {};

// Entries that declare sizes far beyond their data: no allocation of that size, the reader's
// error, nothing placed. (Under AddressSanitizer an allocation that size would abort the test.)
TEST_F(ClaimedSizes, AbsurdSizesGiveAnErrorNotAnAllocation) {
    shell("mkdir -p z t && /usr/bin/python3 -c \"import tarfile, zipfile\n"
          "zipfile.ZipFile('z/big.zip', 'w').writestr('big.bin', b'0123456789')\n"
          "i = tarfile.TarInfo('big.bin'); i.size = 2**62\n"
          "open('t/big.tar', 'wb').write(i.tobuf(tarfile.GNU_FORMAT) + b'0123456789')\"");
    ASSERT_TRUE(HostileArchives::claimZipSize(dir_.file("z/big.zip"), 0xFFFFFFF0ULL));
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
    ASSERT_FALSE(HostileArchives::makeZeros(dir_.file(name), kSize).isEmpty());
    open(name);
    ASSERT_TRUE(document_.isViewing());
    bool cancelled = false;
    ui_.onProgressValue = [&](quint64 value) {
        if (value > 0 && !cancelled) {
            cancelled = true;
            queueCancel(document_);
        }
    };
    ui_.calls.clear();
    document_.extractAll();
    settle();
    EXPECT_TRUE(cancelled);
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
