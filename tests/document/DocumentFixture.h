#pragma once

#include "ScriptedUi.h"
#include "document/ArchiveDocument.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

class ArchiveEntry;

QByteArray randomBytes(qsizetype size);

// A document with a scripted window in a scratch folder, with settings at their defaults.
class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
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
    // The names in a folder (relative to the scratch folder), hidden ones included, sorted.
    QStringList namesIn(const QString &folder = QString()) const;
    // The names at the top of the opened archive's tree.
    QStringList topEntries() const;
    // The entry at the path ("f/a.txt") in the opened archive's tree.
    ArchiveEntry *entry(const QString &path) const;
    // The entry names of a zip (a name in the scratch folder), sorted.
    QStringList zipNames(const QString &name) const;
    QByteArray read(const QString &name) const;

    ScratchDir dir_;
    ScriptedUi ui_;
    ArchiveDocument document_{ui_, ui_};
};

// Makes a folder immutable for as long as it lives, so even root cannot write into it. Tests that
// need a folder without write access skip where the file system does not allow this.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path);
    ~ReadOnlyFolder();
    bool isReadOnly() const { return locked_; }

private:
    QString path_;
    bool locked_ = false;
};
