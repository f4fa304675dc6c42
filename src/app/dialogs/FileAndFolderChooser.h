#pragma once

#include <QFileDialog>

class QAbstractItemView;

// The chooser of "Add…": Qt's own file dialog (a platform dialog picks either files or a folder,
// never both) taking files and folders together, several at once. Accepting with a folder
// selected adds the folder instead of entering it; a double click still enters it.
class FileAndFolderChooser : public QFileDialog {
    Q_OBJECT

public:
    explicit FileAndFolderChooser(QWidget *parent = nullptr);

    // The typed names and the items selected in the list, files and folders alike.
    QStringList chosenPaths() const;
    void accept() override;

private:
    // Qt names the button "Open" while a folder is selected: it stays "Add".
    void keepAcceptLabel();

    QAbstractItemView *list_;
};
