#pragma once

#include "archive/FileWriteQueue.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include <sys/types.h>

class ProgressReceiver;
class SevenZipInput;

// One walk over a 7z archive that writes its entries below a destination: files go to a writing
// thread as they are decoded, links, folder permissions and dates follow once every file is
// written. A solid block is decoded at most once.
class SevenZipExtraction {
public:
    // How the walk went; encrypted content outranks the other problems.
    enum class Outcome { Done, Cancelled, Encrypted, Unwritable, Damaged };

    SevenZipExtraction(const QString &destination, bool restoresDates, ProgressReceiver *progress);

    // A folder made before the walk, given its stored permission (0 for none) and date with the
    // folders the walk makes.
    void addFolder(const QString &path, mode_t permission, const std::optional<QDateTime> &date);
    // Records a file or folder that could not be made.
    void noteUnwritable(const QString &path);
    // Writes every entry under its own path, or with targets only the entries at those indexes
    // (the folders among them are the caller's) to the full paths given.
    Outcome run(SevenZipInput &input, const QHash<quint64, QString> *targets);

    // The first file or folder that could not be written, when the outcome is Unwritable.
    const QString &unwritten() const { return unwritten_; }
    // Links not made because their targets lie outside the destination: their paths below it.
    const QStringList &skippedLinks() const { return skippedLinks_; }

private:
    struct Folder {
        QString path;
        mode_t permission;
        std::optional<QDateTime> date;
    };
    struct Link {
        QString path;
        QString target;
        std::optional<QDateTime> date;
    };
    enum class Copy { Done, Stopped, Damaged, Fatal };

    // False when the walk must end: cancelled, or the archive cannot be read on.
    bool walk(SevenZipInput &input, const QHash<quint64, QString> *targets);
    bool take(SevenZipInput &input, const QString &target);
    Copy copy(SevenZipInput &input);
    void makeLinks();
    void restoreFolders();
    void note(Outcome outcome);

    QString destination_;
    bool restoresDates_;
    ProgressReceiver *progress_;
    Outcome outcome_ = Outcome::Done;
    QString unwritten_;
    QList<Folder> folders_;
    QList<Link> links_;
    QStringList skippedLinks_;
    std::vector<char> buffer_;
    FileWriteQueue files_;
};
