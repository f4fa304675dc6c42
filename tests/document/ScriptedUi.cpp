#include "ScriptedUi.h"

#include "document/ArchiveDocument.h"
#include "document/MainThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

void ScriptedUi::record(const QString &call) {
    if (!MainThread::isMainThread())
        calledOffMainThread = true;
    if (!call.isNull())
        calls.append(call);
}

QStringList ScriptedUi::callsStartingWith(const QString &prefix) const {
    return calls.filter(QRegularExpression('^' + QRegularExpression::escape(prefix)));
}

void ScriptedUi::atFirstProgress(const std::function<void()> &action) {
    acted = false;
    onProgressValue = [this, action](quint64 value) {
        if (value > 0 && !acted) {
            acted = true;
            action();
        }
    };
}

void ScriptedUi::failUnexpected(const char *dialog) {
    ADD_FAILURE() << "unexpected " << dialog;
}

void ScriptedUi::showListedEntries() {
    record("listed");
    if (onListed)
        onListed();
}

void ScriptedUi::setProgressMaxValue(quint64 maxValue) {
    record("max");
    maxValues.append(maxValue);
}

void ScriptedUi::setProgressValue(quint64 value) {
    record(QString());
    if (onProgressValue)
        onProgressValue(value);
}

void ScriptedUi::setProgressBottomText(const QString &text) {
    record(QString());
    bottomTexts.append(text);
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (done()) {
            QCoreApplication::processEvents();
            if (done())
                return true;
        }
        QThread::msleep(2);
    }
    return false;
}

bool waitUntilIdle(const ArchiveDocument &document, int timeoutMs) {
    return waitUntil([&document] { return !document.isExecuting(); }, timeoutMs);
}

void queueCancel(ArchiveDocument &document) {
    MainThread::queue(&document, [&document] { document.cancelThread(); });
}
