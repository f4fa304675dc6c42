#include "support/ArchiveKit.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

// A failure names its cause: the kind in --json, the message, and the documented exit code;
// which reader reports which error is in the readers' tests (Conformance).
TEST(KistCliErrors, FailuresNameTheirCause) {
    ScratchDir dir;
    const QString make = QStringLiteral(R"(
set -e
noise 300000 > noise.bin
echo secret > s.txt
zip -q -P right locked.zip s.txt
rar a -idq -pright locked.rar s.txt
zip -q -0 stored.zip noise.bin
cp stored.zip crc.zip
python3 -c "d = bytearray(open('crc.zip', 'rb').read()); d[5000] ^= 0xFF; open('crc.zip', 'wb').write(d); "
cp stored.zip deflate64.zip
python3 - <<'PY'
import struct
data = bytearray(open('deflate64.zip', 'rb').read())
for signature, offset in ((b'PK\x03\x04', 8), (b'PK\x01\x02', 10)):
    at = data.find(signature)
    data[at + offset:at + offset + 2] = struct.pack('<H', 9)
open('deflate64.zip', 'wb').write(data)
PY
rar a -idq -m0 -v100k set.rar noise.bin
rm set.part2.rar
7zz a -bso0 -bsp0 -pright encrypted.7z s.txt
7zz a -bso0 -bsp0 -pright -mhe=on names.7z s.txt
cp s.txt text.zip
)");
    ASSERT_EQ(runShellIn(dir.path(), make), 0);
    const struct {
        const char *command; // arguments after kist-cli
        int exitCode;
        const char *kind;
        const char *named; // a part of the message
        bool smallDisk = false;
    } rows[] = {
        {"extract --json -o out --password wrong locked.zip", 3, "wrong-password", "s.txt"},
        {"test --json --password wrong locked.rar", 3, "wrong-password", "s.txt"},
        {"test --json crc.zip", 1, "damaged", "noise.bin"},
        {"test --json deflate64.zip", 1, "unsupported-method", "Deflate64"},
        {"test --json set.part1.rar", 1, "missing-volume", "set.part2.rar"},
        {"test --json locked.zip </dev/null", 3, "missing-password", "locked.zip"},
        {"test --json encrypted.7z", 1, "encryption-unsupported", "encrypted"},
        // A listing that fails midway is still a listing, with the error in it.
        {"list --json names.7z", 1, "encryption-unsupported", "encrypted"},
        {"list --json text.zip", 1, "not-an-archive", "text.zip"},
        {"list --json missing.zip", 1, "cannot-open",
         "missing.zip: Failed to open archive file (No such file or directory)"},
        // Whatever its name, a missing file is named as missing.
        {"test --json missing", 1, "cannot-open", "missing: Failed to open archive file (No such"},
        // A file size limit stands in for a full disk.
        {"extract --json -o out stored.zip", 1, "disk-full", "noise.bin", true},
        {"create --json --name ../x s.txt", 2, "usage", "../x"},
        {"create --json --format rar s.txt", 2, "usage", "zip, tar, tar.gz, tar.bz2, tar.xz"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.command);
        const ToolResult result = runTool(
            QStringLiteral("/bin/sh"),
            {"-c", QStringLiteral("cd %1 && trap '' XFSZ && ulimit -f %2 && exec %3 %4")
                       .arg(shellQuote(dir.path()),
                            row.smallDisk ? QStringLiteral("200") : QStringLiteral("unlimited"),
                            QStringLiteral(KIST_CLI_PATH), QString::fromLatin1(row.command))});
        EXPECT_EQ(result.exitCode, row.exitCode) << result.output.toStdString();
        const QJsonObject error =
            QJsonDocument::fromJson(result.output.toUtf8()).object().value("error").toObject();
        EXPECT_EQ(error.value("kind").toString(), row.kind) << result.output.toStdString();
        EXPECT_TRUE(error.value("message").toString().contains(row.named))
            << result.output.toStdString();
        EXPECT_FALSE(error.value("message").toString().contains("/.")) << "no staging path";
    }
    EXPECT_EQ(namesIn(dir.file("out")), QStringList()) << "nothing half-written stays";
}

// Unreadable items are named and left out; the archive holds everything readable.
TEST(KistCliErrors, CreateLeavesOutWhatCannotBeRead) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as a second user needs root";
    // The test's own scratch and temporary folders are private; the second user needs a path it
    // can enter, and one to write to for the temporary file of libarchive's 7z writer.
    QTemporaryDir dir(QStringLiteral("/tmp/kist-create-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(runShellIn(dir.path(), "chmod 755 . && mkdir -p t/open t/shut out && "
                                     "echo a > t/open/a.txt && echo b > t/shut/b.txt && "
                                     "echo c > t/secret.txt && chmod 000 t/shut t/secret.txt && "
                                     "chmod 777 out && chmod -R a+rX t/open"),
              0);
    const auto file = [&dir](const char *name) {
        return dir.filePath(QString::fromLatin1(name));
    };
    for (const char *format : {"zip", "tar.zst", "7z"}) {
        SCOPED_TRACE(format);
        const ToolResult result = runTool(QStringLiteral("runuser"),
                                          {"-u", "nobody", "--", "env", "TMPDIR=" + file("out"),
                                           QStringLiteral(KIST_CLI_PATH), "create", "--format",
                                           format, "-o", file("out"), file("t")});
        EXPECT_EQ(result.exitCode, 1) << result.output.toStdString();
        EXPECT_TRUE(result.output.contains("t/secret.txt")) << result.output.toStdString();
        EXPECT_TRUE(result.output.contains("t/shut/")) << result.output.toStdString();
        EXPECT_EQ(ArchiveKit::toolListing(file("out/t.") + format),
                  QStringList({"t/", "t/open/", "t/open/a.txt"}));
    }
}
