#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

// What the app tests put in place of the user's desktop for the whole run: a private session
// bus (when dbus-daemon is there), the English texts, and a recorder of the URLs the application
// asks the desktop to open, so that no test starts a real application or file manager.
class TestDesktop : public QObject {
    Q_OBJECT

public:
    static TestDesktop &instance();

    // The private bus's address; empty when there is none.
    QString busAddress() const { return busAddress_; }
    // The local paths opened through QDesktopServices since the last clear, in order.
    QStringList openedPaths() const { return openedPaths_; }
    void clear() { openedPaths_.clear(); }

    void start();
    void stop();

    Q_INVOKABLE void openUrl(const QUrl &url) { openedPaths_.append(url.toLocalFile()); }

private:
    QString busAddress_;
    qint64 busPid_ = 0;
    QStringList openedPaths_;
};

// A file manager on the private bus answering org.freedesktop.FileManager1.ShowItems, while it
// lives; records the items it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    FakeFileManager();
    ~FakeFileManager() override;
    bool isRunning() const { return running_; }

    QStringList shown;

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList &uris, const QString &startupId);

private:
    QDBusConnection bus_;
    bool running_ = false;
};
