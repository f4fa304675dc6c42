#include "cli/TerminalPrompt.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

TerminalPrompt::TerminalPrompt(const QString &preset)
    : preset_(preset) {
}

std::optional<QString> TerminalPrompt::askPassword(const QString &archiveName) {
    if (!preset_.isEmpty() && !presetUsed_) {
        presetUsed_ = true;
        gave_ = true;
        return preset_;
    }
    if (::isatty(STDIN_FILENO) != 1)
        return std::nullopt;
    std::fputs(qPrintable(QCoreApplication::translate("Cli", "Password for %1: ").arg(archiveName)),
               stderr);
    std::fflush(stderr);
    termios saved = {};
    const bool canHide = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (canHide) {
        termios hidden = saved;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    }
    std::string line;
    const bool read = bool(std::getline(std::cin, line));
    if (canHide)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputc('\n', stderr);
    if (!read || line.empty())
        return std::nullopt;
    gave_ = true;
    return QString::fromStdString(line);
}
