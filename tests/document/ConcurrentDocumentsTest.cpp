#include "DocumentFixture.h"

#include <QTimer>

namespace {

class ConcurrentDocuments : public DocumentTest {};

// Both documents' workers run at the same time, each with its own reader and staging folder.
TEST_F(ConcurrentDocuments, TwoExtractionsAtOnceEachPlaceTheirOwnResult) {
    const QByteArray one = noise(6 << 20, 8);
    const QByteArray two = noise(6 << 20, 9);
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

class CancelAtEveryPhase : public DocumentTest,
                           public ::testing::WithParamInterface<std::tuple<Phase, Moment>> {
protected:
    void arm(Moment moment) {
        if (moment == Moment::FirstProgress)
            cancelAtFirstProgress();
        if (moment == Moment::AfterAWhile) {
            cancelTimer_.setSingleShot(true);
            QObject::connect(&cancelTimer_, &QTimer::timeout, &document_,
                             [this] { document_.cancelThread(); });
            cancelTimer_.start(30);
        }
    }
    QTimer cancelTimer_;
};

// Whatever the phase and the moment, the document ends its task, shows no alert, leaves no
// staging folder, temporary file or partial result, and stays usable.
TEST_P(CancelAtEveryPhase, EndsCleanly) {
    const auto [phase, moment] = GetParam();
    dir_.write("src/big/a.bin", noise(8 << 20, 10));
    dir_.write("src/big/b.bin", noise(8 << 20, 11));
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
    if (moment == Moment::AtOnce)
        document_.cancelThread();
    settle();
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty()) << ui_.calls.join(' ').toStdString();
    EXPECT_EQ(ui_.calls.contains("close"), ui_.calls.contains("hide:10000"))
        << "only an extraction that ended by itself closes the window";
    if (phase == Phase::Extraction && moment == Moment::FirstProgress) {
        EXPECT_EQ(ui_.calls,
                  (QStringList{"top:Extracting big", "sheet:determinate", "max", "hide:0"}));
    }
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
                         ::testing::Combine(::testing::Values(Phase::Listing, Phase::Extraction,
                                                              Phase::Compression),
                                            ::testing::Values(Moment::AtOnce, Moment::FirstProgress,
                                                              Moment::AfterAWhile)));

} // namespace
