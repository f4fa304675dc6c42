// Writes the words kist-cli's shell completion offers, as CMake variables, from the tables
// kist-cli itself reads: the encoding names --encoding accepts, the formats --format takes and
// the archive extensions.
#include "encoding/StringEncoding.h"
#include "util/FileKinds.h"
#include "zip/WriteFormats.h"

#include <QStringList>

#include <cstdio>

int main() {
    QStringList encodings{QStringLiteral("auto")};
    for (const StringEncoding encoding : StringEncodings::availableEncodings()) {
        if (const auto name = StringEncodings::ianaName(encoding))
            encodings.append(*name);
    }
    std::printf("set(KIST_ENCODINGS \"%s\")\n", qPrintable(encodings.join(QLatin1Char(' '))));
    QStringList formats;
    for (const WriteFormat format : WriteFormats::all())
        formats.append(WriteFormats::name(format));
    std::printf("set(KIST_WRITE_FORMATS \"%s\")\n", qPrintable(formats.join(QLatin1Char(' '))));
    std::printf("set(KIST_ARCHIVE_EXTENSIONS \"%s\")\n",
                qPrintable(FileKinds::archiveExtensions().join(QLatin1Char('|'))));
    return 0;
}
