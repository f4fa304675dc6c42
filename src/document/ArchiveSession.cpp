#include "document/ArchiveSession.h"

#include "archive/ZipEntry.h"
#include "document/ArchiveRules.h"
#include "document/IPasswordPrompt.h"
#include "util/Cancellation.h"
#include "util/FileUtil.h"

ArchiveSession::ArchiveSession(const QString &filePath, IPasswordPrompt *prompt,
                               IActionProgress *action)
    : filePath_(filePath)
    , prompt(prompt)
    , action(action)
    , rootEntry_(ZipEntry::rootEntry()) {
}

ArchiveSession::~ArchiveSession() = default;

bool ArchiveSession::open(StringEncoding fileEncoding) {
    rootEntry_->clear();
    reader_ = ArchiveRules::archive(filePath_, rootEntry_.get(), action, password_, fileEncoding);
    correctPwd_.clear();
    isNeedPassword_ = false;
    isCheckExistsPwd_ = false;
    return reader_ != nullptr;
}

void ArchiveSession::reListArchive() {
    if (!reader_)
        return;
    rootEntry_->clear();
    if (!password_.isEmpty())
        reader_->setPassword(password_);
    reader_->listFiles();
}

ArchiveSession::ListingOutcome ArchiveSession::readArchive() {
    ListingOutcome outcome;
    reListArchive();
    if (isCurrentThreadCancelled())
        return {false, false};
    for (;;) {
        bool asked = false;
        const bool answered = initCheckPassword(&asked);
        if (!answered) {
            outcome.promptCancelled = asked;
            break;
        }
        if (isCurrentThreadCancelled())
            break;
        reListArchive();
        if (rootEntry_->childCount() > 0) {
            correctPwd_ = password_;
            outcome.proceed = true;
            break;
        }
        outcome.proceed = false;
    }
    if (outcome.promptCancelled)
        outcome.proceed = false;
    return outcome;
}

bool ArchiveSession::initCheckPassword(bool *asked) {
    *asked = false;
    if (!reader_ || rootEntry_->childCount() > 0 || !reader_->isEncryptedFileName())
        return false;
    *asked = true;
    return checkPassword();
}

bool ArchiveSession::checkPassword() {
    if (!isCheckExistsPwd_) {
        isNeedPassword_ = reader_ && reader_->isEncrypted();
        isCheckExistsPwd_ = true;
        if (!isNeedPassword_)
            return true;
    } else if (!isNeedPassword_ || !correctPwd_.isEmpty()) {
        return true;
    }
    return alertPasswordPanel();
}

bool ArchiveSession::alertPasswordPanel() {
    const std::optional<QString> entered =
        prompt ? prompt->passwordInput(FileUtil::getFileName(filePath_)) : std::nullopt;
    password_ = entered.value_or(QString());
    return !password_.isEmpty();
}
