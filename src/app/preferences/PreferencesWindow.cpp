#include "app/preferences/PreferencesWindow.h"

#include "settings/Preferences.h"

#include <QCheckBox>
#include <QPointer>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QPointer<PreferencesWindow> &sharedWindow() {
    static QPointer<PreferencesWindow> window;
    return window;
}

} // namespace

PreferencesWindow::PreferencesWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , tabView_(new QTabWidget(this)) {
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(tr("Preferences"));
    // An open preferences window neither keeps the application running nor ends it when closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto *general = new QWidget;
    new QVBoxLayout(general);
    autoExtract_ = addCheckBox(general, QT_TR_NOOP("Automatic extract the file archive"),
                               &Preferences::setAutoExtractOnOpen);
    closeWindowExtract_ =
        addCheckBox(general, QT_TR_NOOP("Close the window after extracting files"),
                    &Preferences::setCloseAfterExtract);
    exitAfterLastWindow_ =
        addCheckBox(general, QT_TR_NOOP("After closing the last window, exit the application"),
                    &Preferences::setExitAfterLastWindow);
    ignoreHiddenFilesCheck_ = addCheckBox(general, QT_TR_NOOP("The archive to ignore hidden files"),
                                          &Preferences::setIgnoreHiddenFiles);
    general->layout()->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    tabView_->addTab(general, tr("General"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabView_);
    loadValues();
}

QCheckBox *PreferencesWindow::addCheckBox(QWidget *page, const char *title, void (*save)(bool)) {
    auto *box = new QCheckBox(tr(title), page);
    page->layout()->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [save](bool checked) { save(checked); });
    return box;
}

void PreferencesWindow::loadValues() {
    autoExtract_->setChecked(Preferences::autoExtractOnOpen());
    closeWindowExtract_->setChecked(Preferences::closeAfterExtract());
    exitAfterLastWindow_->setChecked(Preferences::exitAfterLastWindow());
    ignoreHiddenFilesCheck_->setChecked(Preferences::ignoreHiddenFiles());
}

void PreferencesWindow::showEvent(QShowEvent *event) {
    loadValues();
    QWidget::showEvent(event);
}

void PreferencesWindow::showWindow() {
    QPointer<PreferencesWindow> &window = sharedWindow();
    if (!window) {
        window = new PreferencesWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}
