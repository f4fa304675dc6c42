#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class QThread;

// The status line's size thread: totals paths the way compression counts them (the given
// folders not counted themselves, hidden files left out when the setting says so). A new
// computation cancels the previous one, whose result is then never delivered.
class FileSizeThread : public QObject {
    Q_OBJECT

public:
    explicit FileSizeThread(QObject *parent = nullptr);
    // Cancels and waits for the running threads: they report to this object.
    ~FileSizeThread() override;

    void computeSize(const QStringList &paths);
    void cancel();

signals:
    // The files plus folders counted and their bytes, for the paths of the latest computation.
    void computed(quint64 itemCount, quint64 totalSize, const QStringList &paths);

private:
    void deliver(quint64 generation, quint64 itemCount, quint64 totalSize,
                 const QStringList &paths);

    QList<QThread *> threads_;
    QThread *filesizeThread_ = nullptr;
    quint64 generation_ = 0;
};
