#include "document/DocumentWorker.h"
#include "ScriptedUi.h"
#include "util/Cancellation.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>

namespace {

TEST(DocumentWorker, ReportsBecomeBarAndPercentageOnTheMainThread) {
    const std::pair<quint64, QStringList> cases[] = {
        {200, {"", "12.5%", "37.5%", "75.0%"}},
        // Without a total the bar moves but no percentage is shown.
        {0, {""}},
        {3, {"", "833.3%", "2500.0%", "5000.0%"}}};
    for (const auto &[total, bottomTexts] : cases) {
        SCOPED_TRACE(total);
        ScriptedUi ui;
        DocumentWorker worker(ui);
        QList<quint64> values;
        ui.onProgressValue = [&](quint64 value) {
            values.append(value);
        };
        bool ended = false;
        ASSERT_TRUE(worker.startThread(
            [&worker, &ended, total]() -> DocumentWorker::Ending {
                worker.setTotalSize(total);
                worker.addDone(25);
                worker.addDone(50);
                worker.setDone(150);
                return [&ended] {
                    ended = true;
                };
            },
            true));
        ASSERT_TRUE(waitUntil([&] { return ended; }));
        EXPECT_FALSE(worker.isExecuting());
        EXPECT_FALSE(ui.calledOffMainThread);
        EXPECT_EQ(ui.calls.first(), "sheet:determinate");
        EXPECT_EQ(ui.maxValues, QList<quint64>{total});
        EXPECT_EQ(values, (QList<quint64>{0, 25, 75, 150}));
        EXPECT_EQ(ui.bottomTexts, bottomTexts);
        EXPECT_EQ(worker.currentSize(), 150u);
    }
}

TEST(DocumentWorker, RunsOneTaskAtATimeAndCancelAlsoStopsTheNext) {
    ScriptedUi ui;
    DocumentWorker worker(ui);
    std::atomic<bool> release = false;
    int endings = 0;
    const auto blocked = [&]() -> DocumentWorker::Ending {
        while (!release)
            QThread::msleep(1);
        return [&endings] {
            ++endings;
        };
    };
    ASSERT_TRUE(worker.startThread(blocked, false));
    EXPECT_TRUE(worker.isExecuting());
    EXPECT_FALSE(worker.startThread(blocked, false));
    release = true;
    ASSERT_TRUE(waitUntil([&] { return !worker.isExecuting(); }));
    EXPECT_EQ(endings, 1);
    EXPECT_TRUE(worker.startThread(blocked, false)) << "free again once the ending has run";
    ASSERT_TRUE(waitUntil([&] { return !worker.isExecuting(); }));
    EXPECT_EQ(endings, 2);
    EXPECT_TRUE(ui.calls.isEmpty()) << "no sheet unless asked for";

    // An ending that starts the next task (as the automatic extraction after a listing does)
    // while the document is being closed: the new task is cancelled as well.
    std::atomic<bool> secondStarted = false;
    const auto loopUntilCancelled = [&]() -> DocumentWorker::Ending {
        secondStarted = true;
        while (!isCurrentThreadCancelled())
            QThread::msleep(1);
        return nullptr;
    };
    ASSERT_TRUE(worker.startThread(
        [&]() -> DocumentWorker::Ending {
            QThread::msleep(20);
            return [&] {
                worker.startThread(loopUntilCancelled, false);
            };
        },
        false));
    worker.cancelThread();
    EXPECT_TRUE(secondStarted);
    EXPECT_FALSE(worker.isExecuting());
}

// The worker keeps calling into the main thread and waiting there while the main thread waits for
// it to stop: the wait must keep serving those calls, and reports after the cancel are dropped.
TEST(DocumentWorker, CancelWaitsWhileServingTheWorkersCalls) {
    ScriptedUi ui;
    DocumentWorker worker(ui);
    bool sawCancel = false;
    ASSERT_TRUE(worker.startThread(
        [&worker, &sawCancel]() -> DocumentWorker::Ending {
            worker.setTotalSize(1000000);
            while (!isCurrentThreadCancelled())
                worker.addDone(1);
            worker.addDone(500000);
            const bool cancelled = isCurrentThreadCancelled();
            return [&sawCancel, cancelled] {
                sawCancel = cancelled;
            };
        },
        false));
    ASSERT_TRUE(waitUntil([&] { return worker.currentSize() > 10; }));
    worker.cancelThread();
    EXPECT_FALSE(worker.isExecuting());
    EXPECT_TRUE(sawCancel) << "the ending ran before cancelThread returned";
    EXPECT_LT(worker.currentSize(), 500000u);
    worker.cancelThread();
}

} // namespace
