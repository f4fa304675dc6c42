#include "document/ListingFeed.h"

#include "archive/ArchiveEntry.h"
#include "document/IDocumentView.h"
#include "document/MainThread.h"
#include "util/Cancellation.h"

namespace {

// Reading the clock for every entry would cost more than adding it.
constexpr qint64 kClockEvery = 256;

} // namespace

ListingFeed::ListingFeed(IDocumentView &view, ArchiveEntry &root)
    : view_(view)
    , root_(root) {
    sinceHandOver_.start();
    root_.setWatcher(this);
}

ListingFeed::~ListingFeed() {
    root_.setWatcher(nullptr);
}

void ListingFeed::entryAdded() {
    ++pending_;
    if (pending_ < kBatchEntries &&
        (pending_ % kClockEvery != 0 || sinceHandOver_.elapsed() < kBatchMilliseconds))
        return;
    // A cancelled listing shows nothing more: its ending takes in the rest.
    if (!isCurrentThreadCancelled())
        handOver();
}

void ListingFeed::clearing() {
    // The window lets go of the entries before they are freed, cancelled or not.
    if (shown_ == 0)
        return;
    MainThread::perform([this] {
        shown_ = 0;
        view_.reloadBrowser();
    });
}

void ListingFeed::handOver() {
    MainThread::perform([this] {
        shown_ = root_.descendantCount();
        view_.showListedEntries();
    });
    pending_ = 0;
    sinceHandOver_.restart();
}
