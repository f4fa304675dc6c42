#include "app/shell/AppDocumentController.h"

#include "app/shell/IDocumentWindowFactory.h"
#include "archive/ArchiveError.h"
#include "document/MainThread.h"
#include "document/ZipDocument.h"
#include "util/YSupportFile.h"

#include <QFileInfo>

AppDocumentController::AppDocumentController(IDocumentWindowFactory &factory, QObject *parent)
    : QObject(parent)
    , factory(factory) {
}

QList<ZipDocument *> AppDocumentController::documents() const {
    QList<ZipDocument *> open;
    for (const QPointer<ZipDocument> &document : documents_) {
        if (document)
            open.append(document);
    }
    return open;
}

void AppDocumentController::addDocument(ZipDocument *document) {
    if (document && !documents().contains(document))
        documents_.append(document);
}

void AppDocumentController::removeDocument(ZipDocument *document) {
    documents_.removeAll(document);
}

ZipDocument *AppDocumentController::newDocument() {
    ZipDocument *document = factory.makeDocument();
    addDocument(document);
    displayDocument(document);
    return document;
}

std::optional<Error> AppDocumentController::checkArchive(const QString &path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable() || !YSupportFile::archiveKind(path))
        return archiveError(ArchiveErrorCode::FailedOpenFile);
    return std::nullopt;
}

ZipDocument *AppDocumentController::openDocumentWithContentsOfURL(const QString &path, bool display,
                                                                  std::optional<Error> *error) {
    const QMutexLocker locker(&lock);
    const std::optional<Error> failure = checkArchive(path);
    if (error)
        *error = failure;
    if (failure)
        return nullptr;
    for (ZipDocument *document : documents()) {
        if (!document->isEmpty())
            continue;
        document->loadFileStart(path);
        if (display && document != factory.currentDocument())
            displayDocument(document);
        return document;
    }
    ZipDocument *document = factory.makeDocument();
    addDocument(document);
    document->loadFileStart(path);
    if (display)
        displayDocument(document);
    return document;
}

void AppDocumentController::displayDocument(ZipDocument *document) {
    if (document)
        MainThread::perform([this, document] { factory.showDocument(*document); });
}
