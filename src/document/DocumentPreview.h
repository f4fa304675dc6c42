#pragma once

#include "util/Error.h"

#include <QString>

#include <optional>

class IPreviewPane;
class ArchiveDocument;
class ArchiveEntry;

// A document's commands that extract one entry into a private temporary folder: "View" opens it
// with the default application, under the sheet; a preview hands it to the pane without a sheet
// and never asks for a password. A new request cancels a running view or preview and runs once
// it has stopped; an extraction or a listing is never cut short for it.
class DocumentPreview {
public:
    explicit DocumentPreview(ArchiveDocument &document);

    // The pane that previews are handed to; none drops them. The pane must outlive the document
    // or be unset first.
    void setPreviewPane(IPreviewPane *pane) { previewPane_ = pane; }
    // Opens the one selected entry with the default application.
    void viewFile();
    // Previews the one selected entry when it is worth extracting.
    void viewFileInPreview();
    // Stops a running view or preview and waits for it, so that another command can run.
    void cancel();

private:
    enum class Action { View, Preview };

    void request(Action action);
    void run(Action action);
    // The selected leaf entry the action applies to, or none.
    ArchiveEntry *selectedEntry(Action action) const;
    void startTask(Action action, ArchiveEntry *entry);
    // file: the extracted copy, none when the extraction failed or was cancelled.
    void taskEnded(Action action, const ArchiveEntry *entry, const QString &folder,
                   const std::optional<QString> &file, const std::optional<Error> &error,
                   bool cancelled);

    ArchiveDocument &document_;
    IPreviewPane *previewPane_ = nullptr;
    bool running_ = false;
    std::optional<Action> pending_;
};
