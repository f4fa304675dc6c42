#pragma once

#include <QByteArrayList>
#include <QString>

#include <optional>

// The kind of system an archive's entries were made on, as far as their name bytes tell.
enum class NameHostSystem {
    // Unknown, or a system whose tools write names in its locale's charset (Unix, macOS).
    Other,
    // MS-DOS, OS/2 or Windows: tools there write names in the machine's OEM code page.
    DosOrWindows,
};

// Chooses one charset for all entry names of an archive from their raw bytes. Stateless; any
// thread may call it at any time.
namespace NameEncodingDetector {

// ICU first: the names run together and repeated to at least 100 bytes, ICU's candidates
// in its order, and the first that decodes them whole. For names from DOS or Windows,
// unless ICU's first choice was a multi-byte charset that decoded them cleanly, ICU's
// decodable candidates and the code pages of those systems (the DOS ones for Latin US,
// Latin 1, Latin 2 and Cyrillic, the Japanese, Chinese, Korean and Taiwanese ones, and the
// Windows ANSI ones for Latin 1, Latin 2 and Cyrillic) are compared by how plausible the
// names they give are, and the most plausible wins; ICU's own pick wins a tie.
// None when nothing was detected (no names, only ASCII ones, or ICU matched nothing and no code
// page fits): the caller keeps its encoding. A null name when ICU had candidates but none decoded.
std::optional<QString> detectCharset(const QByteArrayList &names, NameHostSystem host);

} // namespace NameEncodingDetector
