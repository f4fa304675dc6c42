#pragma once

#include <QToolBar>

class DocumentCommands;
class EncodingMenu;
class QToolButton;

// The document window's toolbar: Extract, Extract As…, Open, Zip, Compress As…, Add… and Delete,
// their icons all of one size, then at the right end the button that opens the encoding menu
// and names the encoding in use.
class DocumentToolbar : public QToolBar {
    Q_OBJECT

public:
    static constexpr int kIconSize = 24;

    DocumentToolbar(const DocumentCommands &commands, EncodingMenu *encodings,
                    QWidget *parent = nullptr);

    // The encoding button is usable exactly when an archive is shown.
    void setEncodingEnabled(bool enabled);

private:
    QToolButton *encodingButton_;
};
