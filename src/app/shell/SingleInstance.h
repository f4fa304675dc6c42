#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

// One running Kist per session: the first launch takes the name org.kist.Kist on the session
// bus and opens what later launches hand it; a later launch hands its archives over and ends.
// Without a session bus (or when the running instance does not answer) every launch runs on its
// own.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kist.Kist")

public:
    static inline const QString kService = QStringLiteral("org.kist.Kist");
    static inline const QString kPath = QStringLiteral("/org/kist/Kist");

    explicit SingleInstance(const QDBusConnection &bus = QDBusConnection::sessionBus(),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running instance; false when there is no bus or another instance runs.
    bool registerInstance();
    // Hands the archives (absolute paths) to the running instance; true once it took them.
    bool handOver(const QStringList &paths) const;

public slots:
    // The D-Bus method later launches call.
    Q_SCRIPTABLE void Open(const QStringList &paths);

signals:
    // A later launch named these archives (none: it asks for a window).
    void openRequested(const QStringList &paths);

private:
    QDBusConnection bus_;
    bool registered_ = false;
};
