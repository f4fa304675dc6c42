#include "app/shell/DocumentController.h"

#include "app/shell/IDocumentWindowFactory.h"
#include "archive/ArchiveError.h"
#include "document/ArchiveDocument.h"
#include "document/ArchiveRules.h"
#include "document/MainThread.h"

#include <QFileInfo>

DocumentController::DocumentController(IDocumentWindowFactory &factory, QObject *parent)
    : QObject(parent)
    , factory_(factory) {
}

QList<ArchiveDocument *> DocumentController::documents() const {
    QList<ArchiveDocument *> open;
    for (const QPointer<ArchiveDocument> &document : documents_) {
        if (document)
            open.append(document);
    }
    return open;
}

void DocumentController::addDocument(ArchiveDocument *document) {
    if (document && !documents().contains(document))
        documents_.append(document);
}

void DocumentController::removeDocument(ArchiveDocument *document) {
    documents_.removeAll(document);
}

ArchiveDocument *DocumentController::newDocument() {
    ArchiveDocument *document = factory_.makeDocument();
    addDocument(document);
    displayDocument(document);
    return document;
}

std::optional<Error> DocumentController::checkArchive(const QString &path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        return archiveError(ArchiveErrorCode::FailedOpenFile);
    if (!ArchiveRules::archiveKind(path))
        return archiveError(ArchiveErrorCode::NotAnArchive, file.fileName());
    return std::nullopt;
}

ArchiveDocument *DocumentController::openDocument(const QString &path, bool display,
                                                  std::optional<Error> *error) {
    const QMutexLocker locker(&lock_);
    const std::optional<Error> failure = checkArchive(path);
    if (error)
        *error = failure;
    if (failure)
        return nullptr;
    if (ArchiveDocument *open = documentShowing(path)) {
        if (display)
            displayDocument(open);
        return open;
    }
    for (ArchiveDocument *document : documents()) {
        if (!document->isEmpty())
            continue;
        document->open(path);
        if (display && document != factory_.currentDocument())
            displayDocument(document);
        return document;
    }
    ArchiveDocument *document = factory_.makeDocument();
    addDocument(document);
    document->open(path);
    if (display)
        displayDocument(document);
    return document;
}

ArchiveDocument *DocumentController::documentShowing(const QString &path) const {
    const QString file = QFileInfo(path).canonicalFilePath();
    for (ArchiveDocument *document : documents()) {
        if (document->isViewing() && QFileInfo(document->filePath()).canonicalFilePath() == file)
            return document;
    }
    return nullptr;
}

void DocumentController::displayDocument(ArchiveDocument *document) {
    if (document)
        MainThread::perform([this, document] { factory_.showDocument(*document); });
}
