#include "ZipFixtures.h"

#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

#include <numeric>

using namespace ZipFixtures;

namespace {

struct Maker {
    const char *label;
    const char *command;
    const char *password;
};

// minizip's path and libarchive's path report and cancel alike.
const QList<Maker> kMakers = {
    {"deflated", "zip -q -r t.zip d", ""},
    {"AES", "7zz a -tzip -mem=AES256 -psecret t.zip d", "secret"},
};

constexpr qsizetype kBigSize = 10000000;

} // namespace

TEST(ZipProgress, ReportsAddUpToTheDataWritten) {
    for (const Maker &maker : kMakers) {
        SCOPED_TRACE(maker.label);
        ScratchDir dir;
        dir.write("d/big.bin", QByteArray(kBigSize, 'z'));
        ASSERT_TRUE(runIn(dir, maker.command));
        ProgressRecorder recorder;
        OpenedZip reader(dir.file("t.zip"), maker.password);
        reader.zip->setProgressReceiver(&recorder);
        reader.extractAll(dir);
        ASSERT_EQ(reader.code(), 0);
        // What is left after the last report is less than one report.
        const quint64 sum =
            std::accumulate(recorder.reports.cbegin(), recorder.reports.cend(), quint64(0));
        EXPECT_LE(sum, quint64(kBigSize));
        EXPECT_GE(sum + ReaderBase::kProgressThreshold, quint64(kBigSize));
    }
}

TEST(ZipProgress, CancellationStopsInTheMiddleOfAnEntry) {
    for (const Maker &maker : kMakers) {
        SCOPED_TRACE(maker.label);
        ScratchDir dir;
        dir.write("d/big.bin", QByteArray(kBigSize, 'z'));
        ASSERT_TRUE(runIn(dir, maker.command));

        ProgressRecorder whole;
        whole.cancelOnReport = true;
        OpenedZip reader(dir.file("t.zip"), maker.password);
        reader.zip->setProgressReceiver(&whole);
        runOnWorkerThread([&] { reader.extractAll(dir, "whole"); });
        EXPECT_EQ(reader.code(), 100);
        EXPECT_EQ(whole.reports.size(), 1);
        EXPECT_LT(QFileInfo(dir.file("whole/d/big.bin")).size(), kBigSize);

        ProgressRecorder folder;
        folder.cancelOnReport = true;
        reader.zip->setProgressReceiver(&folder);
        runOnWorkerThread(
            [&] { reader.zip->extract(findNode(reader.root.get(), "d/"), dir.file("folder")); });
        EXPECT_EQ(reader.code(), 100);
        EXPECT_LT(QFileInfo(dir.file("folder/d/big.bin")).size(), kBigSize);
    }
}

TEST(ZipProgress, CancelledListingStopsAtTheFirstEntry) {
    ScratchDir dir;
    dir.write("d/a.txt", "a");
    ASSERT_TRUE(runIn(dir, "zip -q -r t.zip d"));
    OpenedZip reader(dir.file("t.zip"));
    runOnWorkerThread([&] {
        QThread::currentThread()->requestInterruption();
        reader.zip->listEntries();
    });
    EXPECT_EQ(reader.code(), 100);
    EXPECT_EQ(reader.root->childCount(), 0);
}
