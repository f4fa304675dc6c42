#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

// The process-wide hub for named notifications. A post reaches every observer at once, on the
// posting thread, so an observer blocked in a long wait can still be told to stop.
class NotificationCenter : public QObject {
    Q_OBJECT

public:
    static NotificationCenter &defaultCenter();

    // Tells every observer of the name; the object is optional context for them.
    void post(const QString &name, QObject *object = nullptr);
    // Tells every observer of the name, with a value (a path, a number) as its object.
    void post(const QString &name, const QVariant &value);

signals:
    void notified(const QString &name, QObject *object);
    void notifiedWithValue(const QString &name, const QVariant &value);

private:
    NotificationCenter() = default;
};
