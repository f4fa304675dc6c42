#include "DocumentFixture.h"
#include "util/TempFolders.h"

#include <QTimer>

namespace {

QStringList temporaries() {
    return QDir(TempFolders::root())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class ConcurrentDocuments : public DocumentTest {};

// Both documents' workers run at the same time, each with its own reader and staging folder.
TEST_F(ConcurrentDocuments, TwoExtractionsAtOnceEachPlaceTheirOwnResult) {
    const QByteArray one = randomBytes(6 << 20);
    const QByteArray two = randomBytes(6 << 20);
    dir_.write("src/one/one.bin", one);
    dir_.write("src/two/two.bin", two);
    shell("cd src/one && zip -q0 ../../one.zip one.bin && cd ../two && tar -czf ../../two.tgz "
          "two.bin && cd ../.. && rm -r src");
    ScriptedUi otherUi;
    ArchiveDocument other(otherUi, otherUi);
    open("one.zip");
    other.open(dir_.file("two.tgz"));
    ASSERT_TRUE(waitUntilIdle(other));

    document_.extractAll();
    other.extractAll();
    EXPECT_TRUE(document_.isExecuting() && other.isExecuting()) << "neither waits for the other";
    settle();
    ASSERT_TRUE(waitUntilIdle(other));
    EXPECT_EQ(read("one.bin"), one);
    EXPECT_EQ(read("two.bin"), two);
    EXPECT_EQ(namesIn(), (QStringList{"one.bin", "one.zip", "two.bin", "two.tgz"}));
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
    EXPECT_TRUE(otherUi.callsStartingWith("alert:").isEmpty());
    EXPECT_FALSE(otherUi.calledOffMainThread);
}

enum class Phase { Listing, Extraction, Compression };
// When the cancel comes: at once (before the worker may have started), at the first progress
// report, or after a short while on a timer.
enum class Moment { AtOnce, FirstProgress, AfterAWhile };

struct CancelCase {
    Phase phase;
    Moment moment;
};

void PrintTo(const CancelCase &c, std::ostream *out) {
    *out << int(c.phase) << '/' << int(c.moment);
}

class CancelAtEveryPhase : public DocumentTest, public ::testing::WithParamInterface<CancelCase> {
protected:
    void arm(Moment moment) {
        cancelled_ = false;
        ui_.onProgressValue = [this, moment](quint64 value) {
            if (moment == Moment::FirstProgress && value > 0 && !cancelled_) {
                cancelled_ = true;
                queueCancel(document_);
            }
        };
        if (moment == Moment::AfterAWhile) {
            cancelTimer_.setSingleShot(true);
            QObject::connect(&cancelTimer_, &QTimer::timeout, &document_,
                             [this] { document_.cancelThread(); });
            cancelTimer_.start(30);
        }
    }
    void cancelAtOnce(Moment moment) {
        if (moment == Moment::AtOnce)
            document_.cancelThread();
    }
    bool cancelled_ = false;
    QTimer cancelTimer_;
};

// Whatever the phase and the moment, the document ends its task, shows no alert, leaves no
// staging folder, temporary file or partial result, and stays usable.
TEST_P(CancelAtEveryPhase, EndsCleanly) {
    const auto [phase, moment] = GetParam();
    dir_.write("src/big/a.bin", randomBytes(8 << 20));
    dir_.write("src/big/b.bin", randomBytes(8 << 20));
    shell("cd src && tar -czf ../big.tgz big");
    if (phase == Phase::Extraction)
        open("big.tgz");
    const QStringList temporariesBefore = temporaries();
    const QStringList before = namesIn();
    ui_.calls.clear();
    arm(moment);
    switch (phase) {
    case Phase::Listing:
        document_.open(dir_.file("big.tgz"));
        break;
    case Phase::Extraction:
        document_.extractAll();
        break;
    case Phase::Compression:
        document_.addFiles({dir_.file("src/big")});
        document_.zip();
        break;
    }
    cancelAtOnce(moment);
    settle();
    EXPECT_FALSE(document_.isExecuting());
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty()) << ui_.calls.join(' ').toStdString();
    EXPECT_FALSE(ui_.calledOffMainThread);
    const QStringList after = namesIn();
    for (const QString &name : after)
        EXPECT_FALSE(name.startsWith('.')) << "staging folder left: " << name.toStdString();
    if (phase != Phase::Compression || moment != Moment::AfterAWhile) {
        EXPECT_TRUE(after == before || ui_.calls.contains("hide:10000"))
            << "a cancelled extraction places nothing";
    }
    EXPECT_TRUE(!namesIn("src").contains("big.zip") || moment == Moment::AfterAWhile)
        << "a cancelled compression leaves no archive";
    if (!document_.isViewing() || phase != Phase::Listing) {
        EXPECT_EQ(temporaries(), temporariesBefore) << "a cancelled listing keeps no temporary";
    }

    // A task that ended before the timer fired must not lose the next one to it.
    cancelTimer_.stop();
    ui_.onProgressValue = nullptr;
    if (phase == Phase::Listing) {
        open("big.tgz");
        EXPECT_EQ(topEntries(), QStringList{"big"}) << "the document opens again";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CancelAtEveryPhase,
                         ::testing::Values(CancelCase{Phase::Listing, Moment::AtOnce},
                                           CancelCase{Phase::Listing, Moment::FirstProgress},
                                           CancelCase{Phase::Listing, Moment::AfterAWhile},
                                           CancelCase{Phase::Extraction, Moment::AtOnce},
                                           CancelCase{Phase::Extraction, Moment::FirstProgress},
                                           CancelCase{Phase::Extraction, Moment::AfterAWhile},
                                           CancelCase{Phase::Compression, Moment::AtOnce},
                                           CancelCase{Phase::Compression, Moment::FirstProgress},
                                           CancelCase{Phase::Compression, Moment::AfterAWhile}));

} // namespace
