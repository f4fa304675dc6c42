#include "RarFixtures.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

#include <numeric>

using namespace RarFixtures;
using ReaderTestKit::filesBelow;
using ReaderTestKit::ProgressRecorder;
using ReaderTestKit::runOnThread;

namespace {

constexpr qsizetype kBigSize = 10000000;

// A big stored file, then a small one that a cancelled extraction never reaches.
QString makeBig(const ScratchDir &dir) {
    const QString source = dir.file("src");
    writeFile(source, "big.bin", noise(kBigSize, 3), localDate(2022, 1, 1, 0, 0, 0));
    writeFile(source, "after.txt", "after\n", localDate(2022, 1, 1, 0, 0, 0));
    const QString archive = dir.file("big.rar");
    return makeRar(source, "-m0", archive, "big.bin after.txt") ? archive : QString();
}

} // namespace

TEST(RarProgress, ReportsAddUpToTheDataWritten) {
    ScratchDir dir;
    OpenedRar rar(makeBig(dir));
    rar.list();
    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "whole archive" : "selected entry");
        ProgressRecorder recorder;
        rar.rar->setProgressReceiver(&recorder);
        const QString out = dir.file(whole ? "whole" : "single");
        QDir().mkpath(out);
        runOnThread([&] { rar.rar->extract(whole ? nullptr : rar.node("big.bin"), out); });
        EXPECT_EQ(rar.code(), 0);
        ASSERT_FALSE(recorder.finished.isEmpty());
        // What is left after the last report is less than one report.
        const quint64 written = whole ? kBigSize + 6 : kBigSize;
        const quint64 sum =
            std::accumulate(recorder.finished.cbegin(), recorder.finished.cend(), quint64(0));
        EXPECT_LE(sum, written);
        EXPECT_GE(sum + ReaderBase::kProgressThreshold, written);
    }
}

TEST(RarCancel, CancellingAnExtractionStopsItWithCode100) {
    ScratchDir dir;
    OpenedRar rar(makeBig(dir));
    rar.list();
    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "whole archive" : "selected entry");
        ProgressRecorder recorder;
        recorder.cancelOnReport = true;
        rar.rar->setProgressReceiver(&recorder);
        const QString out = dir.file(whole ? "whole" : "single");
        QDir().mkpath(out);
        runOnThread([&] { rar.rar->extract(whole ? nullptr : rar.node("big.bin"), out); });
        EXPECT_EQ(rar.code(), 100);
        EXPECT_EQ(recorder.finished.size(), 1);
        EXPECT_FALSE(QFile::exists(out + "/after.txt"));
    }
    EXPECT_FALSE(QFile::exists(dir.file("single/big.bin")));
}

TEST(RarCancel, CancelledListingAndCheckStopAtOnce) {
    ScratchDir dir;
    writeFile(dir.file("src"), "secret.txt", "secret\n", localDate(2022, 1, 1, 0, 0, 0));
    const QString archive = dir.file("secret.rar");
    ASSERT_TRUE(makeRar(dir.file("src"), "-psecret", archive, "secret.txt"));
    OpenedRar rar(archive);
    runOnThread([&] {
        QThread::currentThread()->requestInterruption();
        rar.rar->listEntries();
    });
    EXPECT_TRUE(rar.root->children().empty());
    EXPECT_EQ(rar.code(), 100);
    bool encrypted = true;
    runOnThread([&] {
        QThread::currentThread()->requestInterruption();
        encrypted = rar.rar->isEncrypted();
    });
    EXPECT_FALSE(encrypted);
    EXPECT_EQ(rar.code(), 100);
    // A cancelled check is no answer: the next one looks again.
    EXPECT_TRUE(rar.rar->isEncrypted());
    EXPECT_EQ(rar.list(), QStringList{"secret.txt"});
}
