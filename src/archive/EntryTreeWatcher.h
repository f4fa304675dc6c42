#pragma once

// Told of the changes a listing makes to a root's entry tree, on the thread that makes them and
// before that thread goes on, so the watcher may read the whole tree meanwhile.
class EntryTreeWatcher {
public:
    virtual ~EntryTreeWatcher() = default;
    // An entry, with the folders made for it, was added below the root.
    virtual void entryAdded() = 0;
    // The tree is about to be emptied.
    virtual void clearing() = 0;
};
