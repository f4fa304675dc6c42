#pragma once

#include "ScriptedUi.h"
#include "document/ArchiveDocument.h"
#include "document/IPreviewPane.h"
#include "support/ArchiveKit.h"
#include "util/TempFolders.h"

#include <gtest/gtest.h>

using ArchiveKit::noise;

// Records what the document hands over, with the file's contents at that moment.
class RecordingPane : public IPreviewPane {
public:
    struct Delivery {
        std::optional<QString> path;
        QByteArray contents;
    };
    QList<Delivery> deliveries;

    void viewFile(const std::optional<QString> &path) override;
};

// A document with a scripted window and preview pane in a scratch folder, with settings at their
// defaults.
class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearSettings();
        document_.setPreviewPane(&pane_);
    }
    void TearDown() override {
        EXPECT_FALSE(ui_.calledOffMainThread) << "the window was called from a worker thread";
        clearSettings();
    }

    // Runs the command in the scratch folder; fails the test when it fails.
    void shell(const QString &command) const;
    // Writes a zip (a name in the scratch folder) holding the entries, name and contents, with
    // the zip tool's options ("-0" stores them as they are).
    void makeZip(const QString &name, const QList<std::pair<QString, QByteArray>> &entries,
                 const QString &options = QStringLiteral("-0"));
    // Opens the archive (a name in the scratch folder) and waits until the listing has ended.
    void open(const QString &name);
    // Waits until the document's task has ended.
    void settle() { ASSERT_TRUE(waitUntilIdle(document_)); }
    // Runs the document's command (extractAll, zip, viewFile ...) and waits until it has ended.
    void run(void (ArchiveDocument::*command)()) {
        (document_.*command)();
        settle();
    }
    // Cancels the document's task at its first progress report (ui_.acted tells it came).
    void cancelAtFirstProgress() {
        ui_.atFirstProgress([this] { queueCancel(document_); });
    }
    // The names in a folder (relative to the scratch folder), hidden ones included, sorted.
    QStringList namesIn(const QString &folder = QString()) const {
        return ::namesIn(dir_.file(folder));
    }
    // The names at the top of the opened archive's tree.
    QStringList topEntries() const;
    // The entry at the path ("f/a.txt", a folder "f/") in the opened archive's tree.
    ArchiveEntry *entry(const QString &path) const {
        return ArchiveKit::findEntry(document_.rootEntry(), path);
    }
    // Selects the entry at the path, as a click in the browser does.
    void select(const QString &path) { ui_.selectedCurrent = {entry(path)}; }
    // The entry names of an archive (a name in the scratch folder), sorted.
    QStringList namesInArchive(const QString &name) const {
        return ArchiveKit::toolListing(dir_.file(name));
    }
    QByteArray read(const QString &name) const { return ArchiveKit::readFile(dir_.file(name)); }
    // The items in the private temporary folder.
    static QStringList temporaries() { return ::namesIn(TempFolders::root()); }

    ScratchDir dir_;
    ScriptedUi ui_;
    RecordingPane pane_;
    ArchiveDocument document_{ui_, ui_};
};
