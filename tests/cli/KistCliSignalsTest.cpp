#include "support/ArchiveKit.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

// Ctrl-C, kill and a closed terminal all end kist-cli through the same cleanup: its exit code
// names the signal, and neither a staging folder nor temporary data stays behind.

namespace {

// The largest regular file below the folder, hidden ones included.
qint64 largestFileBelow(const QString &folder) {
    qint64 largest = -1;
    for (const QString &path : ArchiveKit::filesBelow(folder)) {
        if (!path.endsWith('/'))
            largest = qMax(largest, QFileInfo(folder + '/' + path).size());
    }
    return largest;
}

} // namespace

TEST(KistCliSignals, EverySignalCleansUpLikeCtrlC) {
    ScratchDir dir;
    // 300 MB of zeros compress to little but take a while to write out.
    ASSERT_EQ(runShellIn(dir.path(), "head -c 300000000 /dev/zero > zeros.bin && zip "
                                     "-q -1 big.zip zeros.bin && tar -czf big.tgz zeros.bin && "
                                     "(cat big.tgz && gzip -c </dev/null) > members.tgz && "
                                     "rm zeros.bin"),
              0);
    const struct {
        const char *archive;
        int signal;
        int exitCode;
    } rows[] = {
        {"big.zip", SIGINT, 130},  {"big.zip", SIGTERM, 143},     {"big.zip", SIGHUP, 129},
        {"big.tgz", SIGTERM, 143}, {"members.tgz", SIGTERM, 143},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.archive) + " signal " + std::to_string(row.signal));
        for (const char *folder : {"out", "tmp", "cache"}) {
            QDir(dir.file(folder)).removeRecursively();
            ASSERT_TRUE(QDir().mkpath(dir.file(folder)));
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", dir.file("tmp"));
        environment.insert("XDG_CACHE_HOME", dir.file("cache"));
        environment.remove("XDG_RUNTIME_DIR");
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(KIST_CLI_PATH),
                      {"extract", "-o", dir.file("out"), dir.file(row.archive)});
        ASSERT_TRUE(process.waitForStarted());
        // The work shows in the output's staging folder (several gzip members are extracted as
        // they are decoded, one is decoded into memory first).
        bool underWay = false;
        for (int i = 0; i < 2000 && !underWay && process.state() == QProcess::Running; ++i) {
            QThread::msleep(5);
            underWay = largestFileBelow(dir.file("out")) > 0;
        }
        ASSERT_TRUE(underWay) << "the work never started or ended too soon";
        ::kill(pid_t(process.processId()), row.signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), row.exitCode);
        EXPECT_EQ(namesIn(dir.file("out")), QStringList());
        EXPECT_EQ(namesIn(dir.file("tmp")), QStringList());
        EXPECT_EQ(largestFileBelow(dir.file("cache")), -1) << "decompressed data left";
    }
}
