#pragma once

#include <functional>

class QObject;

// Worker threads reach the window only through the main thread, and wait there.
namespace MainThread {

bool isMainThread();
// Runs the call on the main thread and returns once it has run; called on the main thread it
// runs at once (the main thread never waits on itself).
void perform(const std::function<void()> &call);
// Runs the call on the main thread once the current event has been handled, unless the context
// object is gone by then.
void queue(QObject *context, const std::function<void()> &call);

} // namespace MainThread
