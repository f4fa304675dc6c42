#pragma once

#include "archive/ExtractionOutput.h"
#include "util/TaskQueue.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include <sys/types.h>

// Writes the files of an extraction on a strand of the thread pool, in the order they are handed
// over, so that decoding the next file overlaps writing the last one. The outcome of each file
// comes back to the handing thread, which collects it when it likes. At most kBudget bytes wait to
// be written, so memory stays flat whatever the sizes.
class FileWriteQueue {
public:
    // Told, on the handing thread, whether a file or folder was made: 0, or the errno of the
    // failure.
    using Done = std::function<void(int error)>;

    // The strand writes what is queued before the queue goes; outcomes not collected are
    // dropped.
    explicit FileWriteQueue(QString destination);
    ~FileWriteQueue();
    FileWriteQueue(const FileWriteQueue &) = delete;
    FileWriteQueue &operator=(const FileWriteQueue &) = delete;

    // A folder below the destination, with its parents.
    void makeFolder(const QString &folder, Done done);
    // Starts a file below the destination; its data follows, then finish or discard.
    void open(const QString &target);
    // Copies the data; waits while the budget is spent.
    void write(const char *data, qint64 length);
    // Closes the file with the permission restored from the stored mode and the date, when one
    // is given; done says whether it was written whole (a file that was not is removed).
    void finish(mode_t storedMode, const std::optional<QDateTime> &date, Done done);
    // Closes and removes the file: its data proved bad.
    void discard();
    // Runs the done functions of what has been written so far.
    void collect();
    // Waits until everything queued is written, then collects.
    void drain();

    static constexpr qint64 kBudget = qint64{16} * 1024 * 1024;

private:
    enum class Kind { Folder, Open, Data, Finish, Discard };
    struct Task {
        Kind kind;
        QString path;
        QByteArray data;
        mode_t mode = 0;
        std::optional<QDateTime> date;
        Done done;
    };

    // Queues a step; the steps go over to the strand in groups: a hand-over costs more than
    // writing a small file.
    void push(Task task);
    void handOver();
    // Runs one task on the strand; answers the outcome to hand back, if any.
    std::optional<int> run(Task &task);

    const QString destination_;
    // Steps not handed over yet, and the bytes they hold.
    std::vector<Task> pending_;
    qint64 pendingBytes_ = 0;
    std::mutex mutex_;
    std::deque<std::pair<Done, int>> outcomes_;
    // Used on the strand only: the output, and why the file being written failed, if it did (its
    // data is dropped then).
    ExtractionOutput output_;
    int fileError_ = 0;
    // Last, so that its tasks end before anything they use goes.
    TaskQueue worker_;
};
