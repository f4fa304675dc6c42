#include "CliRunner.h"
#include "support/TestDirs.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

// Writes the names of names.txt into the zip as raw bytes in the code page, without the UTF-8
// flag, marked as made on MS-DOS, the way zip tools on Windows store them.
const char *const kDosZip = R"PY(
import sys, zipfile
class RawInfo(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        return self.raw_name, self.flag_bits
codepage, archive = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(archive, 'w') as z:
    for name in open('names.txt', encoding='utf-8').read().split('\n'):
        info = RawInfo(name, (2001, 2, 3, 4, 5, 6))
        info.raw_name = name.encode(codepage)
        info.create_system = 0
        z.writestr(info, b'' if name.endswith('/') else b'x')
)PY";

// The system's python starts much faster than a version manager's shim.
QString python() {
    return QFileInfo::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

TEST(KistCliNameEncoding, DosCodePageNamesAreListedRightWithTheDetectedEncoding) {
    const std::tuple<const char *, QStringList, const char *> cases[] = {
        {"cp437", {"Grüße/", "Grüße/Übung.txt", "Bücher.doc", "Äpfel und Birnen.txt"}, "IBM437"},
        {"cp866", {"Привет.txt", "Документы/", "Документы/отчёт.doc"}, "IBM866"},
    };
    for (const auto &[codePage, names, detected] : cases) {
        SCOPED_TRACE(codePage);
        ScratchDir dir;
        dir.write("names.txt", names.join('\n').toUtf8());
        const QString script = dir.write("make.py", kDosZip);
        const QString archive = dir.file("names.zip");
        ASSERT_EQ(runShell(QStringLiteral("cd '%1' && %2 '%3' %4 '%5'")
                               .arg(dir.path(), python(), script, codePage, archive)),
                  0);

        const CliResult result = runCli({"list", "--json", archive});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QJsonObject listing = QJsonDocument::fromJson(result.out).object();
        EXPECT_EQ(listing.value("encoding").toString(), detected);
        QStringList paths;
        for (const QJsonValue &entry : listing.value("entries").toArray())
            paths.append(entry.toObject().value("path").toString());
        paths.sort();
        QStringList expected = names;
        expected.sort();
        EXPECT_EQ(paths, expected);
    }
}

} // namespace
