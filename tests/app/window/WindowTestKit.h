#pragma once

#include "app/window/DocumentWindow.h"
#include "support/TestDirs.h"

#include <QModelIndex>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>

// Windows under test over a scratch folder, with settings at their defaults.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
    void TearDown() override { clearSettings(); }

    // Runs a python3 script in the scratch folder; fails the test when it fails.
    void python(const QString &script) const;
    // A zip of the entries (names ending in "/" are folders) with the text as contents.
    QString makeZip(const QString &name, const QStringList &entries) const;
    // A window on the archive (or an empty one), shown, its listing ended.
    std::unique_ptr<DocumentWindow> openWindow(const QString &path = QString()) const;
    // Waits until the window's document runs no task.
    static void settle(const DocumentWindow &window);
    // The names in the first column of the browser.
    static QStringList topNames(const DocumentWindow &window);
    // The index of the top-level item with the name, or of the item at a path of names.
    static QModelIndex indexAt(const DocumentWindow &window, const QStringList &names);
    // Makes the item at the path of names the selection, as a click does.
    static void select(DocumentWindow &window, const QStringList &names);

    ScratchDir dir_;
};
