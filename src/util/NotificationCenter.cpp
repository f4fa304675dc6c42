#include "util/NotificationCenter.h"

NotificationCenter &NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::post(const QString &name, QObject *object) {
    emit notified(name, object);
}

void NotificationCenter::post(const QString &name, const QVariant &value) {
    emit notifiedWithValue(name, value);
}
