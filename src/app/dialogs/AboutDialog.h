#pragma once

class QWidget;

// "About Kist": the version, then each library Kist uses with its version and licence.
class AboutDialog {
public:
    AboutDialog() = delete;

    // Runs modal over the window and returns once dismissed.
    static void show(QWidget *parent);
};
