#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "archive/EntryTreeWatcher.h"
#include "archive/RarReader.h"
#include "support/ArchiveKit.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace ArchiveKit;

namespace {

// Cancels the listing from its first added entry, as a window's Stop would.
class CancelAtFirstEntry : public EntryTreeWatcher {
public:
    void entryAdded() override { QThread::currentThread()->requestInterruption(); }
    void clearing() override {}
};

} // namespace

// A window shows a big RAR while its header walk goes on: entries are added once the names that
// tell the encoding (the first mebibyte) are read, not after the last header.
TEST(RarListing, AddsEntriesBeforeTheWalkEnds) {
    constexpr int kFiles = 6000;
    // Names of 252 bytes ("d/" and 250 digits): about 4,200 of them fill the mebibyte.
    constexpr int kNamesForDetection = 1048576 / 252 + 1;
    ScratchDir dir;
    const QString source = dir.file("src");
    for (int i = 0; i < kFiles; ++i)
        writeFile(source, QStringLiteral("d/%1").arg(i, 250, 10, QLatin1Char('0')), "x");
    const QString archive = dir.file("many.rar");
    ASSERT_TRUE(makeRar(source, "-r -m0", archive, "d"));

    Opened<RarReader> rar(archive);
    CancelAtFirstEntry cancel;
    rar.root->setWatcher(&cancel);
    std::unique_ptr<QThread> listing(QThread::create([&] { rar.reader->listEntries(); }));
    listing->start();
    listing->wait();
    rar.root->setWatcher(nullptr);

    const qint64 listed = rar.root->descendantCount();
    EXPECT_GE(listed, kNamesForDetection) << "the names read for detection are all shown";
    EXPECT_LT(listed, kFiles) << "the walk stopped at the cancel, before its end";
    EXPECT_EQ(rar.code(), int(ArchiveErrorCode::Cancelled));
}
