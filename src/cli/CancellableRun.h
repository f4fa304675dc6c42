#pragma once

#include "cli/CliExit.h"

#include <functional>
#include <optional>

// Makes SIGINT (Ctrl-C), SIGTERM and SIGHUP only mark the process as interrupted, so that every
// command ends through its own cleanup (no staging folder, no temporary data left). Called once
// at start.
void catchInterruptions();
// The exit code for the signal that interrupted the process (130, 143 or 129); none before one.
std::optional<CliExit> interruptionExit();
// Runs work on a worker thread while the main thread waits; a caught signal sets the worker's
// cancel mark, the same mark the desktop app's Cancel button sets. Answers interruptionExit()
// once the work has ended; work is not started after a signal.
std::optional<CliExit> runCancellable(const std::function<void()> &work);
