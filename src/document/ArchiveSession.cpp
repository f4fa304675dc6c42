#include "document/ArchiveSession.h"

#include "archive/ArchiveEntry.h"
#include "document/ArchiveRules.h"
#include "document/IPasswordPrompt.h"
#include "util/Cancellation.h"
#include "util/PathUtil.h"

ArchiveSession::ArchiveSession(const QString &filePath, IPasswordPrompt *prompt,
                               ProgressReceiver *action)
    : filePath_(filePath)
    , prompt_(prompt)
    , action_(action)
    , rootEntry_(ArchiveEntry::rootEntry()) {
}

ArchiveSession::~ArchiveSession() = default;

bool ArchiveSession::open(StringEncoding fileEncoding) {
    rootEntry_->clear();
    reader_ = ArchiveRules::archive(filePath_, rootEntry_.get(), action_, password_, fileEncoding);
    confirmedPassword_.clear();
    needsPassword_ = false;
    passwordProbed_ = false;
    return reader_ != nullptr;
}

void ArchiveSession::relist() {
    if (!reader_)
        return;
    rootEntry_->clear();
    if (!password_.isEmpty())
        reader_->setPassword(password_);
    reader_->listEntries();
}

ArchiveSession::ListingOutcome ArchiveSession::list() {
    ListingOutcome outcome;
    relist();
    if (isCurrentThreadCancelled())
        return {false, false};
    for (;;) {
        bool asked = false;
        const bool answered = probePassword(&asked);
        if (!answered) {
            outcome.promptCancelled = asked;
            break;
        }
        if (isCurrentThreadCancelled())
            break;
        relist();
        if (rootEntry_->childCount() > 0) {
            confirmedPassword_ = password_;
            outcome.proceed = true;
            break;
        }
        outcome.proceed = false;
    }
    if (outcome.promptCancelled)
        outcome.proceed = false;
    return outcome;
}

bool ArchiveSession::probePassword(bool *asked) {
    *asked = false;
    if (!reader_ || rootEntry_->childCount() > 0 || !reader_->hasEncryptedNames())
        return false;
    *asked = true;
    return checkPassword();
}

bool ArchiveSession::checkPassword() {
    if (!passwordProbed_) {
        needsPassword_ = reader_ && reader_->isEncrypted();
        passwordProbed_ = true;
        if (!needsPassword_)
            return true;
    } else if (!needsPassword_ || !confirmedPassword_.isEmpty()) {
        return true;
    }
    return askPassword();
}

bool ArchiveSession::askPassword() {
    const std::optional<QString> entered =
        prompt_ ? prompt_->askPassword(PathUtil::fileName(filePath_)) : std::nullopt;
    password_ = entered.value_or(QString());
    return !password_.isEmpty();
}
