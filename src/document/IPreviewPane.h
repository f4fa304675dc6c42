#pragma once

#include <QString>

#include <optional>

// The preview pane as the document sees it. Called on the main thread.
class IPreviewPane {
public:
    virtual ~IPreviewPane() = default;

    // Shows the file extracted for the pane's item; none shows the item's icon. A file that
    // belongs to another item is ignored.
    virtual void viewFile(const std::optional<QString> &path) = 0;
};
