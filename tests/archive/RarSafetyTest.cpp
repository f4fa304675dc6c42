#include "RarFixtures.h"

#include "util/FileAttributes.h"
#include "util/PathUtil.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace RarFixtures;
using ReaderTestKit::filesBelow;

// Archives with names that try to write outside the destination, whole (the RAR library builds
// the paths) and entry by entry (the reader builds them).

namespace {

struct Attack {
    const char *label;
    // Files to store (stand-in name, then the hostile name it gets) and links to store.
    QList<QPair<QString, QString>> files;
    QList<QPair<QString, QString>> links; // link name, target; "@" stands for the outside folder
};

QString expand(const QString &text, const ScratchDir &dir) {
    return QString(text).replace(QLatin1Char('@'), dir.file("outside"));
}

// Stores the stand-ins and links, then gives the stand-ins their hostile names.
QString makeHostile(const ScratchDir &dir, const Attack &attack) {
    const QString source = dir.file("src");
    QDir().mkpath(source);
    QDir().mkpath(dir.file("outside"));
    QStringList items;
    QMap<QString, QString> names;
    for (const auto &[link, target] : attack.links) {
        QDir().mkpath(PathUtil::parentFolder(source + "/" + link));
        ::symlink(QFile::encodeName(expand(target, dir)).constData(),
                  QFile::encodeName(source + "/" + link).constData());
        items.append(link);
    }
    for (const auto &[standIn, hostile] : attack.files) {
        writeFile(source, standIn, "evil\n", localDate(2020, 1, 1, 0, 0, 0));
        items.append(standIn);
        names.insert(standIn, expand(hostile, dir));
    }
    const QString archive = dir.file("hostile.rar");
    if (!makeRar(source, "-ol -qo-", archive, items.join(' ')) || !editHeaders(archive, names))
        return QString();
    return archive;
}

// Nothing was written in the outside folder, nor next to the destination or the scratch
// folder's own items.
void expectNothingOutside(const ScratchDir &dir) {
    EXPECT_EQ(filesBelow(dir.file("outside")), QStringList());
    const auto items = [](const QString &folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                      QDir::Name);
    };
    EXPECT_EQ(items(dir.path()), QStringList({"dest", "hostile.rar", "outside", "src"}));
    EXPECT_EQ(items(dir.file("dest")), QStringList({"deeper"}));
}

const QList<Attack> &attacks() {
    static const QList<Attack> list = {
        {"dot-dot", {{"dotdot/evil.txt", "../../evil.txt"}, {"x.txt", "a/../../../x.txt"}}, {}},
        {"absolute name", {{"absolute.txt", "@/absolute.txt"}}, {}},
        {"symlink then write, absolute link",
         {{"linkdir/evil.txt", "link/evil.txt"}},
         {{"link", "@"}}},
        {"symlink then write, relative link",
         {{"reldir/evil.txt", "rel/evil.txt"}},
         {{"rel", "../../outside"}}},
        // Safe where the archive puts it, but a selected folder lands one level higher.
        {"symlink then write, link to the archive's top",
         {{"a/b/updir/evil.txt", "a/b/up/evil.txt"}},
         {{"a/b/up", "../.."}}},
    };
    return list;
}

} // namespace

TEST(RarSafety, WholeArchiveStaysInsideTheDestination) {
    for (const Attack &attack : attacks()) {
        SCOPED_TRACE(attack.label);
        ScratchDir dir;
        const QString archive = makeHostile(dir, attack);
        ASSERT_FALSE(archive.isEmpty());
        OpenedRar rar(archive);
        rar.list();
        const QString dest = dir.file("dest/deeper");
        QDir().mkpath(dest);
        rar.rar->extract(dest);
        expectNothingOutside(dir);
        EXPECT_FALSE(filesBelow(dest).isEmpty());
    }
}

TEST(RarSafety, SelectedEntriesStayInsideTheDestination) {
    for (const Attack &attack : attacks()) {
        SCOPED_TRACE(attack.label);
        ScratchDir dir;
        const QString archive = makeHostile(dir, attack);
        ASSERT_FALSE(archive.isEmpty());
        OpenedRar rar(archive);
        // Every node, files and folders, one after the other into one folder, as a selection of
        // several entries is extracted.
        const QString dest = dir.file("dest/deeper");
        for (const QString &path : rar.list())
            rar.extract(path, dest);
        expectNothingOutside(dir);
        EXPECT_FALSE(filesBelow(dest).isEmpty());
    }
}

// Names ending in "", "." or ".." stand for a folder, not an entry inside it. The library writes
// such a header over that folder, the destination itself: it makes it private, dates it, and
// removes it when it is empty. The reader skips them and still extracts the rest.
TEST(RarSafety, NamesOfAFolderLeaveTheDestinationAlone) {
    const QList<QPair<QString, bool>> names = {
        {"", false},     {".", false}, {"..", false}, {"./", false},
        {"a/..", false}, {"/", true},  {".", true},
    };
    for (const auto &[name, isFolder] : names) {
        SCOPED_TRACE(QStringLiteral("%1 \"%2\"")
                         .arg(isFolder ? QStringLiteral("folder") : QStringLiteral("file"), name)
                         .toStdString());
        ScratchDir dir;
        const QString source = dir.file("src");
        writeFile(source, "keep.txt", "kept\n", localDate(2020, 1, 1, 0, 0, 0));
        writeFile(source, "hostile.txt", "evil\n", localDate(2020, 1, 1, 0, 0, 0));
        QDir().mkpath(source + "/d");
        ::chmod(QFile::encodeName(source + "/d").constData(), 0700);
        const QDateTime folderDate = localDate(2001, 1, 1, 0, 0, 0);
        FileAttributes::setModifiedDate(folderDate, source + "/d");
        const QString standIn = isFolder ? QStringLiteral("d") : QStringLiteral("hostile.txt");
        const QString archive = dir.file("hostile.rar");
        ASSERT_TRUE(makeRar(source, "-qo-", archive, standIn + " keep.txt"));
        ASSERT_TRUE(editHeaders(archive, {{standIn, name}}));
        const QString dest = dir.file("dest");
        QDir().mkpath(dest);
        ::chmod(QFile::encodeName(dest).constData(), 0750);
        OpenedRar rar(archive);
        rar.list();
        rar.rar->extract(dest);
        EXPECT_EQ(ReaderTestKit::modeOf(dest), 0750u);
        EXPECT_NE(ReaderTestKit::mtimeOf(dest), folderDate.toSecsSinceEpoch());
        EXPECT_EQ(filesBelow(dest), QStringList({"keep.txt"}));
        EXPECT_EQ(ReaderTestKit::readFile(dest + "/keep.txt"), "kept\n");
        // A file that cannot be made is reported; the folder a folder header names is there.
        EXPECT_EQ(rar.code(), isFolder ? 0 : 5);
    }
}
