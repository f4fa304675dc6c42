#pragma once

#include "document/IPasswordPrompt.h"

// The password of --password or KIST_PASSWORD first; after that, when standard input is a
// terminal, the user types one without echo; otherwise there is none to give.
class TerminalPrompt : public IPasswordPrompt {
public:
    explicit TerminalPrompt(const QString &preset);
    std::optional<QString> askPassword(const QString &archiveName) override;
    // True once any password was handed out (preset or typed).
    bool gavePassword() const { return gave_; }

private:
    QString preset_;
    bool presetUsed_ = false;
    bool gave_ = false;
};
