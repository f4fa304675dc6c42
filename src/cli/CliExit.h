#pragma once

// kist-cli's exit codes; scripts depend on them.
enum CliExit {
    ExitOk = 0,
    ExitFailed = 1, // the archive could not be read, extracted or written
    ExitUsage = 2,
    ExitPassword = 3,      // a password is missing or wrong
    ExitHangUp = 129,      // SIGHUP: the terminal closed
    ExitInterrupted = 130, // SIGINT: Ctrl-C
    ExitTerminated = 143,  // SIGTERM: kill, timeout
};
