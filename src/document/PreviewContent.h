#pragma once

#include <QString>

#include <optional>

class IFileEntry;

// What the preview pane shows for an item's file: its text, its picture, or the item's icon, and
// which archive entries are worth extracting for a preview. Window-free: the pane decodes
// pictures itself.
class PreviewContent {
public:
    enum class Kind { Icon, Text, Picture };

    // Larger files are not shown as text.
    static constexpr quint64 kTextSizeLimit = 1048576;
    // Larger files are not shown as pictures.
    static constexpr quint64 kPictureSizeLimit = 20971520;
    // Archive entries below this size are offered for a text preview.
    static constexpr quint64 kEntryPreviewLimit = 10485761;

    // The file is small enough and has a text extension or the MIME type "text/plain".
    static bool canView(const QString &path);
    // The file is small enough and has a picture extension.
    static bool isPicturePreview(const QString &path);
    // Whether an archive entry is worth extracting for a preview: its own size and its name's
    // extension decide, since the bare name names no file on disk.
    static bool canPreview(const IFileEntry &item);

    // The content of the file at the path for the item. None when the file belongs to another
    // selection (its name or size differ from the item's), or when the calling thread was
    // cancelled while the text was read: the pane then changes nothing. No path shows the icon.
    static std::optional<PreviewContent> forFile(const IFileEntry &item,
                                                 const std::optional<QString> &path);

    Kind kind = Kind::Icon;
    QString path; // the file shown as text or picture
    QString text; // the decoded text; "" when it cannot be read or no encoding decodes it

private:
    static bool isTextFile(const QString &path, quint64 size);
};
