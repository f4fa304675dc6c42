#include "util/StreamWindow.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <thread>

// Data a hundred times the window's size: one reader takes every byte in odd pieces, one skips
// ahead as a tar listing does, one leaves at once; none may hold the producer back for good.
TEST(StreamWindow, ReadersAtTheirOwnPaceSeeTheProducersBytes) {
    QByteArray data(100000, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7 % 251);
    StreamWindow window(3, 1000);
    QByteArray whole;
    QByteArray sampled;
    QByteArray expected;
    std::thread reader([&] {
        for (;;) {
            const QByteArrayView piece = window.view(0, whole.size(), 333);
            if (piece.isEmpty())
                break;
            whole.append(piece);
        }
        window.leave(0);
    });
    std::thread skipper([&] {
        for (qint64 at = 0; window.waitFor(1, at, at + 10) >= at + 10; at += 4990) {
            const QByteArrayView piece = window.view(1, at, 10);
            sampled.append(piece);
            expected.append(data.mid(at, piece.size()));
        }
        // What lies behind the reader may be gone: it gets nothing there.
        EXPECT_TRUE(window.view(1, 0, 1).isEmpty());
        window.leave(1);
    });
    window.leave(2);
    for (qsizetype at = 0; at < data.size(); at += 777)
        window.append(data.constData() + at, qMin<qsizetype>(777, data.size() - at));
    window.finish();
    reader.join();
    skipper.join();
    EXPECT_EQ(whole, data);
    EXPECT_EQ(sampled, expected);
    EXPECT_GE(sampled.size(), 200);
}
