#include "FuzzTargets.h"

#include "archive/ArchiveEntry.h"
#include "archive/Bzip2Blocks.h"
#include "archive/ReaderBase.h"
#include "archive/TarHeaderParser.h"
#include "document/ArchiveRules.h"
#include "encoding/CharsetDetector.h"
#include "encoding/EncodingUtil.h"
#include "util/TempFolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace FuzzTargets {

namespace {

constexpr rlim_t kFileSizeLimit = 64 * 1024 * 1024;
// Entries extracted one by one after the whole extraction; enough to reach the selection paths
// without making every run slow.
constexpr int kSelectedEntries = 8;

QStringList entryNames(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Devices, FIFOs and sockets below the folder (links are not followed).
QString specialFileBelow(const QString &folder) {
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode) &&
            !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode))
            return path;
    }
    return QString();
}

QString expectNames(const QString &folder, const QStringList &expected) {
    const QStringList names = entryNames(folder);
    if (names == expected)
        return QString();
    return QStringLiteral("%1 holds [%2] instead of [%3]")
        .arg(folder, names.join(QLatin1Char(',')), expected.join(QLatin1Char(',')));
}

void extractEach(ReaderBase &reader, ArchiveEntry &root, const QString &destination) {
    int count = 0;
    for (const auto &child : root.children()) {
        if (count++ == kSelectedEntries)
            break;
        reader.extract(child.get(), destination);
        for (const auto &grandChild : child->children()) {
            reader.extract(grandChild.get(), destination);
            break;
        }
    }
}

// Lists the archive, extracts it whole, then some entries one by one, each into a folder of its
// own inside a box that holds nothing else but the archive.
QString reader(const QString &extension, const QByteArray &input) {
    const QString temp = QDir::tempPath();
    // Readers create the temporary root on first use; it is no trace of this input.
    QDir().mkpath(TempFolders::root());
    const QStringList tempBefore = entryNames(temp);
    const QStringList tempRootBefore = entryNames(TempFolders::root());
    QString fault;
    {
        QTemporaryDir box(temp + QStringLiteral("/fuzz-XXXXXX"));
        const QString archive = box.filePath(QStringLiteral("input.") + extension);
        const QString dest = box.filePath(QStringLiteral("dest"));
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
            return QStringLiteral("cannot write the input");
        file.close();
        QDir().mkpath(dest + QStringLiteral("/whole"));
        QDir().mkpath(dest + QStringLiteral("/each"));
        {
            auto root = ArchiveEntry::rootEntry();
            auto reader =
                ArchiveRules::archive(archive, root.get(), nullptr, QString(), kAutomaticEncoding);
            // Content no reader takes ("not an archive") is never read.
            if (reader) {
                reader->listEntries();
                reader->extract(nullptr, dest + QStringLiteral("/whole"));
                extractEach(*reader, *root, dest + QStringLiteral("/each"));
            }
        }
        fault =
            expectNames(box.path(), {QStringLiteral("dest"), QStringLiteral("input.") + extension});
        if (fault.isEmpty())
            fault = expectNames(dest, {QStringLiteral("each"), QStringLiteral("whole")});
        if (fault.isEmpty() && !specialFileBelow(dest).isEmpty())
            fault = QStringLiteral("special file created: ") + specialFileBelow(dest);
    }
    if (fault.isEmpty() && entryNames(temp) != tempBefore)
        fault = expectNames(temp, tempBefore);
    if (fault.isEmpty() && entryNames(TempFolders::root()) != tempRootBefore)
        fault = expectNames(TempFolders::root(), tempRootBefore);
    return fault;
}

// The first block as a header record, the rest as pax data and sparse maps.
// The block map of large bzip2 files, which the bz2 target's small inputs never reach: every
// block found must lie inside the data, in order, and decode alone and joined to the next.
QString bzip2Blocks(const QByteArray &input) {
    const auto *data = reinterpret_cast<const uchar *>(input.constData());
    const auto size = quint64(input.size());
    const auto blocks = Bzip2Blocks::find(data, size);
    if (!blocks)
        return QString();
    for (size_t i = 0; i < blocks->size(); ++i) {
        const Bzip2Blocks::Block &block = (*blocks)[i];
        if (block.start >= block.end || block.end > size * 8 ||
            (i > 0 && block.start < (*blocks)[i - 1].end))
            return QStringLiteral("a block out of place");
        Bzip2Blocks::decode(data, size, block, block);
        if (i + 1 < blocks->size())
            Bzip2Blocks::decode(data, size, block, (*blocks)[i + 1]);
    }
    return QString();
}

QString tarHeader(const QByteArray &input) {
    QByteArray block = input.left(TarHeaderParser::kBlockSize);
    block.append(TarHeaderParser::kBlockSize - block.size(), '\0');
    TarHeaderParser::parse(block.constData());
    const QByteArray rest = input.mid(TarHeaderParser::kBlockSize);
    TarHeaderParser::parsePax(rest);
    TarHeaderParser::numericField(rest.constData(), rest.size());
    TarHeaderParser::paddedSize(TarHeaderParser::charToUnsignedLongLong(block.constData(), 12));
    // The rest also as a sparse extension record and as a sparse map in text.
    QByteArray extension = rest.left(TarHeaderParser::kBlockSize);
    extension.append(TarHeaderParser::kBlockSize - extension.size(), '\0');
    std::vector<TarSparseSegment> map;
    TarHeaderParser::parseSparseExtension(extension.constData(), map);
    if (const auto parsed = TarHeaderParser::parseSparseMapText(rest))
        TarHeaderParser::isValidSparseMap(parsed->first, quint64(rest.size()), quint64(map.size()));
    return QString();
}

// Lines as entry names: collected and detected as a reader does, then each decoded; the first
// byte picks the host system and a chosen encoding from the catalogue.
QString charset(const QByteArray &input) {
    if (input.isEmpty())
        return QString();
    const auto selector = static_cast<unsigned char>(input.front());
    const QByteArray names = input.mid(1);
    auto root = ArchiveEntry::rootEntry();
    auto base = ReaderBase::create<ReaderBase>(QString(), root.get(), nullptr, QString());
    const QByteArrayList lines = names.split('\n');
    for (const QByteArray &line : lines)
        base->collectName(line.constData(), line.size());
    base->detectCollectedNames((selector & 1) ? NameHostSystem::DosOrWindows
                                              : NameHostSystem::Other);
    if (selector & 2) {
        static const QList<EncodingItem> catalogue = EncodingUtil::catalogue();
        base->setFileEncoding(catalogue.at((selector >> 2) % catalogue.size()).encoding());
    }
    for (const QByteArray &line : lines)
        base->decodeName(line.constData(), line.size());
    CharsetDetector::decode(names);
    return QString();
}

} // namespace

QStringList readerExtensions() {
    // "xz" stands for every stream libarchive decodes (xz, zstd, lz4, lzip, compress), "cpio"
    // for every archive format it reads (cpio, ar, cabinet, LHA, ISO): the content picks the
    // reader whatever the name.
    return {QStringLiteral("zip"), QStringLiteral("rar"), QStringLiteral("7z"),
            QStringLiteral("tar"), QStringLiteral("gz"),  QStringLiteral("bz2"),
            QStringLiteral("xz"),  QStringLiteral("cpio")};
}

QStringList names() {
    return readerExtensions() + QStringList{QStringLiteral("tar_header"), QStringLiteral("charset"),
                                            QStringLiteral("bz2_blocks")};
}

void limitFileSizes() {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{kFileSizeLimit, kFileSizeLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
}

QString run(const QString &target, const QByteArray &input) {
    if (target == QLatin1String("tar_header"))
        return tarHeader(input);
    if (target == QLatin1String("charset"))
        return charset(input);
    if (target == QLatin1String("bz2_blocks"))
        return bzip2Blocks(input);
    if (readerExtensions().contains(target))
        return reader(target, input);
    return QStringLiteral("no target named ") + target;
}

} // namespace FuzzTargets
