#include "util/ProgressThrottle.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

struct Reports : ProgressReceiver {
    QList<quint64> done;
    void addDone(quint64 bytes) override { done.append(bytes); }
};

} // namespace

// Readers (4048000), the zip writer (2048000) and the decompressed-position reports each keep
// their own threshold; the rule is the same.
TEST(ProgressThrottle, ReportsEverythingCountedOnceMoreThanTheThresholdGathered) {
    struct Case {
        quint64 threshold;
        QList<quint64> added;
        QList<quint64> reports;
        quint64 unreported;
        bool listened = true;
    };
    const QList<Case> cases = {
        {10, {10}, {}, 10},
        {10, {10, 1}, {11}, 0},
        {10, {4, 4, 4, 4}, {12}, 4},
        {10, {25, 3}, {25}, 3},
        {10, {11, 0, 11}, {11, 11}, 0},
        {0, {0, 1, 1}, {1, 1}, 0},
        {4048000, {4048000, 1, 4048000, 5000000}, {4048001, 9048000}, 0},
        // Without a receiver the count starts again all the same.
        {10, {11, 3}, {}, 3, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "threshold " << c.threshold << ", " << c.added.size() << " additions");
        ProgressThrottle throttle(c.threshold);
        Reports receiver;
        for (const quint64 bytes : c.added)
            throttle.addDone(bytes, c.listened ? &receiver : nullptr);
        EXPECT_EQ(receiver.done, c.reports);
        EXPECT_EQ(throttle.counted(), c.unreported);
    }
}
