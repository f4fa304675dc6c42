#pragma once

#include <QList>
#include <QString>

class IFileEntry;

// What the document asks of its window: the progress sheet, the browser, the toolbar and the
// window itself. Every call comes on the main thread. The view must outlive the document.
class IDocumentView {
public:
    virtual ~IDocumentView() = default;

    // Shows the progress sheet over the window; a determinate bar starts at 0.
    virtual void showProgress(bool indeterminate) = 0;
    // Hides the sheet; the code is 10000 after a whole extraction that was not cancelled, else 0.
    virtual void hideProgress(int returnCode) = 0;
    // The sheet's upper text: what is being done.
    virtual void setProgressTopText(const QString &text) = 0;
    virtual void setProgressMaxValue(quint64 maxValue) = 0;
    virtual void setProgressValue(quint64 value) = 0;
    // The sheet's lower text: the percentage, or empty.
    virtual void setProgressBottomText(const QString &text) = 0;

    // Reloads the browser from the document's tree, selects the first folder of the first
    // column and refreshes the status line.
    virtual void reloadBrowser() = 0;
    // The listing added entries to the tree, or it ended: the browser shows the new ones, keeping
    // the selection and the scroll position. While the listing goes on its thread waits until
    // this returns, so the tree may be read here and only here.
    virtual void showListedEntries() = 0;
    // Selects the encoding remembered for the opened archive in the encoding chooser.
    virtual void selectRememberedEncoding() = 0;
    // Enables the toolbar items after the document's predicates.
    virtual void updateCommands() = 0;
    // The items selected in the browser's first column, in row order.
    virtual QList<IFileEntry *> firstColumnSelection() const = 0;
    // The items selected in the browser's selected column, in row order.
    virtual QList<IFileEntry *> currentSelection() const = 0;
    // Closes the window. The document may still be on the call stack: release it later, not here.
    virtual void closeWindow() = 0;
};
