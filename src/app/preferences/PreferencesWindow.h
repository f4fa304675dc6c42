#pragma once

#include <QWidget>

class QCheckBox;
class QTabWidget;

// The preferences window: one tab "General" with a check box per setting. A click is stored at
// once (there is no OK or Cancel); the boxes show the stored values whenever the window opens.
class PreferencesWindow : public QWidget {
    Q_OBJECT

public:
    explicit PreferencesWindow(QWidget *parent = nullptr);

    // Shows the application's one preferences window, making it when none is open and raising
    // it otherwise.
    static void showWindow();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // A box that saves its state with the writer at every click.
    QCheckBox *addCheckBox(QWidget *page, const char *title, void (*save)(bool));
    void loadValues();

    QTabWidget *tabView_;
    QCheckBox *autoExtract_;
    QCheckBox *closeWindowExtract_;
    QCheckBox *exitAfterLastWindow_;
    QCheckBox *ignoreHiddenFilesCheck_;
};
