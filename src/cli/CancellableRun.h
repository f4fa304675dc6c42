#pragma once

#include <functional>

// Runs work on a worker thread while the main thread waits; Ctrl-C (SIGINT) sets the worker's
// cancel mark, the same mark the desktop app's Cancel button sets. Answers whether Ctrl-C came.
bool runCancellable(const std::function<void()> &work);
