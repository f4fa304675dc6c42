#include "WindowTestKit.h"

#include "app/window/DocumentBrowser.h"
#include "app/window/EntryBrowserModel.h"
#include "document/ArchiveDocument.h"

#include <QTest>

void WindowTest::python(const QString &script) const {
    const QString file = dir_.write(QStringLiteral("make.py"), script.toUtf8());
    ASSERT_EQ(runShell(QStringLiteral("cd '%1' && /usr/bin/python3 make.py").arg(dir_.path())), 0)
        << script.toStdString();
    QFile::remove(file);
}

QString WindowTest::makeZip(const QString &name, const QStringList &entries) const {
    QString script =
        QStringLiteral("import zipfile\nwith zipfile.ZipFile('%1', 'w') as z:\n").arg(name);
    for (const QString &entry : entries)
        script += QStringLiteral("    z.writestr('%1', '%2')\n")
                      .arg(entry, entry.endsWith(QLatin1Char('/')) ? QString() : entry);
    python(script);
    return dir_.file(name);
}

std::unique_ptr<DocumentWindow> WindowTest::openWindow(const QString &path) const {
    auto window = std::make_unique<DocumentWindow>(path.isEmpty() ? std::nullopt
                                                                  : std::optional<QString>(path));
    window->show();
    settle(*window);
    return window;
}

void WindowTest::settle(const DocumentWindow &window) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.document().isExecuting(); }, 30000));
    QCoreApplication::processEvents();
}

QStringList WindowTest::topNames(const DocumentWindow &window) {
    const EntryBrowserModel &model = *window.browser().entryModel();
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.index(row, 0).data().toString());
    return names;
}

QModelIndex WindowTest::indexAt(const DocumentWindow &window, const QStringList &names) {
    const EntryBrowserModel &model = *window.browser().entryModel();
    QModelIndex current;
    for (const QString &name : names) {
        const QModelIndexList found =
            model.match(model.index(0, 0, current), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        if (found.isEmpty())
            return {};
        current = found.first();
    }
    return current;
}

void WindowTest::select(DocumentWindow &window, const QStringList &names) {
    const QModelIndex index = indexAt(window, names);
    ASSERT_TRUE(index.isValid()) << names.join('/').toStdString();
    window.browser().setCurrentIndex(index);
    QCoreApplication::processEvents();
}
