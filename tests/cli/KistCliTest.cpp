#include "support/ArchiveKit.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace ArchiveKit;

namespace {

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built kist-cli with standard input closed, as scripts do.
CliResult
runCli(const QStringList &arguments,
       const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(KIST_CLI_PATH), arguments);
    process.waitForFinished(120000);
    CliResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

class KistCli : public ::testing::Test {
protected:
    // Makes a zip of the given items of the sample tree. Which reader opens which archive is in
    // the readers' and the document's tests (ContentSniffing): the tool opens archives as the
    // document does.
    QString make(const QString &name, const QString &items) {
        const QString archive = dir_.file(name + ".zip");
        EXPECT_EQ(runShellIn(dir_.file("src"), QStringLiteral("zip -qr %1 %2").arg(archive, items)),
                  0);
        return archive;
    }
    // Extracts into out/ and answers the path the tool printed.
    QString extract(const QString &archive, const QStringList &entries = {}) {
        const CliResult result =
            runCli(QStringList{"extract", "-o", dir_.file("out"), archive} + entries);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        return QString::fromUtf8(result.out.trimmed());
    }
    void SetUp() override {
        dir_.write("src/docs/readme.txt", "hello");
        dir_.write("src/docs/sub/notes.md", "notes in a sub folder");
        dir_.write("src/x.txt", "x");
        dir_.write("src/y.txt", "y");
        QDir().mkpath(dir_.file("out"));
    }
    ScratchDir dir_;
};

} // namespace

// The JSON listing is written entry by entry: names that need escaping still make valid JSON
// that reads back as the names, in the order and with the paths the plain listing shows; and
// test reads every entry.
TEST(KistCliListing, AwkwardNamesMakeValidJsonAndTestPasses) {
    const struct {
        QString name;
        QString listed; // the path list shows
    } rows[] = {
        {"quote\"d.txt", "quote\"d.txt"},
        {"back\\slash.txt", "back/slash.txt"},
        {"tab\there.txt", "tab\there.txt"},
        {"line\nbreak.txt", "line\nbreak.txt"},
        {"bell\x07.txt", "bell\x07.txt"},
        {"del\x7f.txt", "del\x7f.txt"},
        {QString::fromUtf8("ümlaut/straße.txt"), QString::fromUtf8("ümlaut/straße.txt")},
        {QString::fromUtf8("emoji/😀.txt"), QString::fromUtf8("emoji/😀.txt")},
        {QString::fromUtf8("e\u0301\u200b.txt"), QString::fromUtf8("e\u0301\u200b.txt")},
        {"dup.txt", "dup.txt"},
        {"dup.txt", "dup 2.txt"},
        {"slash/</script>.txt", "slash/</script>.txt"},
    };
    ScratchDir dir;
    QJsonArray names;
    for (const auto &row : rows)
        names.append(row.name);
    const QString archive = dir.file("awkward.zip");
    ASSERT_EQ(runPython(QStringLiteral("import json, sys, zipfile\n"
                                       "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                       "    for i, n in enumerate(json.loads(sys.argv[2])):\n"
                                       "        z.writestr(n, b'x' * i)\n"),
                        dir.path(), {archive, QString::fromUtf8(QJsonDocument(names).toJson())}),
              0);
    const CliResult result = runCli({"list", "--json", archive});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QJsonParseError error;
    const QJsonObject listing = QJsonDocument::fromJson(result.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    // JSON allows no raw control character inside a string; line breaks only separate tokens.
    for (const char c : result.out)
        ASSERT_TRUE(uchar(c) >= 0x20 || c == '\n') << "raw control character " << int(c);
    EXPECT_TRUE(listing.value("error").isNull());
    EXPECT_EQ(listing.value("format").toString(), "zip");
    EXPECT_EQ(listing.value("archive").toString(), archive);
    const QRegularExpression utcDate("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$");
    QMap<QString, qint64> sizes;
    QStringList order;
    for (const QJsonValue &value : listing.value("entries").toArray()) {
        const QJsonObject entry = value.toObject();
        order.append(entry.value("path").toString());
        sizes.insert(order.last(), entry.value("size").toInteger());
        EXPECT_EQ(entry.value("isDir").toBool(), order.last().endsWith('/'));
        if (!order.last().endsWith('/')) {
            EXPECT_TRUE(utcDate.match(entry.value("date").toString()).hasMatch())
                << entry.value("date").toString().toStdString();
        }
    }
    EXPECT_TRUE(sizes.contains(QString::fromUtf8("ümlaut/"))) << "a folder the tree made up";
    const CliResult plain = runCli({"list", archive});
    const QStringList lines = QString::fromUtf8(plain.out).split('\n', Qt::SkipEmptyParts);
    qint64 size = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.listed.toStdString());
        ASSERT_TRUE(sizes.contains(row.listed));
        EXPECT_EQ(sizes.value(row.listed), size++);
        EXPECT_TRUE(plain.out.contains(row.listed.toUtf8()));
    }
    // Each plain line ends in the path at the same place in the order (a name with a line
    // break spans two lines).
    EXPECT_EQ(lines.size(), order.size() + 1);
    EXPECT_TRUE(lines.first().endsWith(order.first()));
    EXPECT_TRUE(lines.last().endsWith(order.last()));
    const CliResult tested = runCli({"test", archive});
    EXPECT_EQ(tested.exitCode, 0) << tested.err.toStdString();
    EXPECT_EQ(tested.out.trimmed(), "OK");
}

// The tool prints where the result landed: the one folder under a free name, several items in a
// folder named after the archive (beside it when no folder is given), a selected file under its
// own name or its folder's, and an empty archive nothing. How names are chosen is the extraction
// job's (the document's tests), but for selected entries of one name.
TEST_F(KistCli, PrintsWhereTheExtractedItemsLanded) {
    const QString docs = make("a", "docs");
    EXPECT_EQ(extract(docs), dir_.file("out/docs"));
    EXPECT_EQ(extract(docs), dir_.file("out/docs 2"));
    EXPECT_EQ(extract(docs, {"docs/readme.txt"}), dir_.file("out/readme.txt"));
    EXPECT_EQ(extract(docs, {"docs/sub/"}), dir_.file("out/sub"));
    ASSERT_EQ(runShellIn(dir_.path(), "tar -cf empty.tar -T /dev/null"), 0);
    EXPECT_EQ(extract(dir_.file("empty.tar")), "") << "an empty archive places nothing";
    EXPECT_EQ(namesIn(dir_.file("out")), (QStringList{"docs", "docs 2", "readme.txt", "sub"}))
        << "no staging folder left";
    EXPECT_EQ(runCli({"extract", "-o", dir_.file("out"), docs, "docs/nothing.txt"}).exitCode, 1);

    const QString two = make("b", "x.txt y.txt");
    const CliResult beside = runCli({"extract", two});
    EXPECT_EQ(beside.out.trimmed(), dir_.file("b").toUtf8());
    EXPECT_EQ(contentsBelow(dir_.file("b")),
              (QMap<QString, QByteArray>{{"x.txt", "x"}, {"y.txt", "y"}}));

    // Selected entries that share a name are all written, the later ones under the next free
    // name.
    dir_.write("src/a/x.txt", "from a");
    dir_.write("src/b/x.txt", "from b");
    dir_.write("src/c/x.txt/inner.txt", "a folder of that name");
    const QString placed = extract(make("s", "a b c"), {"a/x.txt", "b/x.txt", "c/x.txt/"});
    EXPECT_EQ(namesIn(placed), QStringList({"x 2.txt", "x.txt", "x.txt 2"}));
    EXPECT_EQ(readFile(placed + "/x.txt"), "from a");
    EXPECT_EQ(readFile(placed + "/x 2.txt"), "from b");
    EXPECT_EQ(readFile(placed + "/x.txt 2/inner.txt"), "a folder of that name");
}

TEST(KistCliUsage, ExitCodesForUsage) {
    EXPECT_EQ(runCli({}).exitCode, 2);
    EXPECT_EQ(runCli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(runCli({"extract"}).exitCode, 2);
    EXPECT_EQ(runCli({"list", "--bogus", "a.zip"}).exitCode, 2);
    // Files that are missing or no archive are in the failures' table (KistCliErrors).
    ScratchDir dir;
    EXPECT_EQ(runCli({"list", "--encoding", "no-such-charset", dir.write("a.zip", "x")}).exitCode,
              2);

    const CliResult version = runCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("kist-cli ")) << version.out.toStdString();
    const CliResult help = runCli({"extract", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--password"));
}

// A wrong password's exit code and what it leaves are in the failures' table (KistCliErrors).
TEST_F(KistCli, APasswordIsMissingUntilGivenByOptionOrEnvironment) {
    dir_.write("src/secret.txt", "top secret");
    ASSERT_EQ(runShellIn(dir_.file("src"), "zip -q -P right ../locked.zip secret.txt"), 0);
    const QString archive = dir_.file("locked.zip");
    EXPECT_EQ(runCli({"list", archive}).exitCode, 0) << "names are readable without the password";

    const CliResult none = runCli({"extract", "-o", dir_.file("out"), archive});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_TRUE(none.err.contains("password")) << none.err.toStdString();
    EXPECT_EQ(runCli({"extract", "-o", dir_.file("out"), "--password", "right", archive}).exitCode,
              0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KIST_PASSWORD", "right");
    EXPECT_EQ(runCli({"extract", "-o", dir_.file("out"), archive}, environment).exitCode, 0);
    EXPECT_EQ(namesIn(dir_.file("out")), (QStringList{"secret 2.txt", "secret.txt"}));
    EXPECT_EQ(contentsBelow(dir_.file("out")).value("secret.txt"), "top secret");
}

TEST(KistCliCreate, SeveralItemsAndFailures) {
    ScratchDir dir;
    dir.write("report.txt", "r");
    dir.write("notes.md", "n");
    // Named after the first item, beside it, under a free name.
    for (const char *expected : {"report.zip", "report 2.zip"}) {
        const CliResult result = runCli({"create", dir.file("report.txt"), dir.file("notes.md")});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out.trimmed(), dir.file(expected).toUtf8());
    }
    const CliResult listed = runCli({"list", "--json", dir.file("report.zip")});
    EXPECT_TRUE(listed.out.contains("\"path\": \"notes.md\"")) << listed.out.toStdString();

    EXPECT_EQ(runCli({"create", dir.file("missing")}).exitCode, 1);
    EXPECT_EQ(runCli({"create", "-o", "/proc", dir.file("report.txt")}).exitCode, 1);
    EXPECT_EQ(runCli({"create"}).exitCode, 2);
}

// --format names the format; without it, a --name ending in a writable format's extension
// chooses that format (never a zip named "x.tar.gz.zip"). The archive's first bytes tell the
// format that was written, and bsdtar reads each one back, without hidden items when asked.
TEST(KistCliCreate, FormatComesFromTheOptionOrTheNamesExtension) {
    ScratchDir dir;
    dir.write("Photos/a.jpg", "jpeg bytes");
    dir.write("Photos/.hidden", "secret");
    const struct {
        QStringList options;
        const char *written;
        QByteArray magic;
        qsizetype magicAt = 0;
    } rows[] = {
        {{}, "Photos.zip", "PK\x03\x04"},
        {{"--format", "tar"}, "Photos.tar", "ustar", 257},
        {{"--format", "TAR.GZ"}, "Photos.tar.gz", "\x1f\x8b"},
        {{"--format", "tar.bz2"}, "Photos.tar.bz2", "BZh"},
        {{"--format", "tar.xz"}, "Photos.tar.xz", "\xfd\x37zXZ"},
        {{"--format", "tar.zst"}, "Photos.tar.zst", "\x28\xb5\x2f\xfd"},
        {{"--format", "7z"}, "Photos.7z", "7z\xbc\xaf"},
        {{"--name", "x.tar.gz"}, "x.tar.gz", "\x1f\x8b"},
        {{"--name", "x.TXZ"}, "x.TXZ", "\xfd\x37zXZ"},
        {{"--name", "x.7z"}, "x.7z", "7z\xbc\xaf"},
        {{"--name", "x.zip"}, "x.zip", "PK\x03\x04"},
        {{"--name", "x.7z", "--format", "tar"}, "x.7z.tar", "ustar", 257},
        {{"--name", "v1.2"}, "v1.2.zip", "PK\x03\x04"},
        {{"--ignore-hidden"}, "Photos.zip", "PK\x03\x04"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.options.join(' ').toStdString());
        QDir(dir.file("out")).removeRecursively();
        const CliResult result = runCli(QStringList{"create", "-o", dir.file("out")} + row.options +
                                        QStringList{dir.file("Photos")});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out.trimmed(), dir.file(QStringLiteral("out/") + row.written).toUtf8());
        EXPECT_EQ(namesIn(dir.file("out")), QStringList{row.written}) << "no staging file left";
        EXPECT_EQ(readFile(dir.file(QStringLiteral("out/") + row.written))
                      .mid(row.magicAt, row.magic.size()),
                  row.magic);
        const ToolResult listed =
            runTool("bsdtar", {"-tf", dir.file(QStringLiteral("out/") + row.written)});
        EXPECT_TRUE(listed.output.contains("Photos/a.jpg")) << listed.output.toStdString();
        EXPECT_EQ(listed.output.contains(".hidden"), !row.options.contains("--ignore-hidden"));
    }

    // "create x.tar.gz Photos" as tar takes it: no such item, and the message says how to name.
    const CliResult tarStyle = runCli({"create", dir.file("x.tar.gz"), dir.file("Photos")});
    EXPECT_EQ(tarStyle.exitCode, 1);
    EXPECT_TRUE(tarStyle.err.contains("--name")) << tarStyle.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file("x.tar.gz")));
}
