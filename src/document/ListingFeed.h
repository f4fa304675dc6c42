#pragma once

#include "archive/EntryTreeWatcher.h"

#include <QElapsedTimer>

#include <atomic>

class ArchiveEntry;
class IDocumentView;

// Shows a listing's entries in the window as they are read. The listing thread builds the tree;
// every so often it stops and waits while the main thread lets the window take in what was
// added, so the window never reads the tree while it changes. Entries go over in batches, not
// one by one: each hand-over costs a trip to the main thread and a wait there. Made and dropped
// on the main thread; watches the root for as long as it lives.
// An entry shown keeps its name: readers settle the name encoding before they add the first
// entry (zip and RAR from the first mebibyte of names), so nothing is shown with a provisional
// encoding to be re-labelled later. Detecting on a prefix keeps the first rows early; an archive
// whose later names alone tell another encoding is re-listed from the encoding menu, as before.
class ListingFeed : private EntryTreeWatcher {
public:
    // At most this long, or this many entries, between hand-overs.
    static constexpr qint64 kBatchMilliseconds = 100;
    static constexpr qint64 kBatchEntries = 32768;

    ListingFeed(IDocumentView &view, ArchiveEntry &root);
    ~ListingFeed() override;
    ListingFeed(const ListingFeed &) = delete;
    ListingFeed &operator=(const ListingFeed &) = delete;

    // The entries (and made folders) the window was given so far. Main thread.
    qint64 shownCount() const { return shown_; }

private:
    void entryAdded() override;
    void clearing() override;
    // Lets the window take in the tree as it is now, the listing thread waiting.
    void handOver();

    IDocumentView &view_;
    ArchiveEntry &root_;
    QElapsedTimer sinceHandOver_;
    // Entries added since the last hand-over; written by the listing thread only.
    qint64 pending_ = 0;
    // Written by the main thread while the listing thread waits.
    std::atomic<qint64> shown_ = 0;
};
