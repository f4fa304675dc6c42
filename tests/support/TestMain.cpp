#include "support/TestSandbox.h"

#include <gtest/gtest.h>

#ifdef KIST_GUI_TESTS
#include <QApplication>

#include <cstdlib>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

// Every test executable's main: private folders first, then the application object; the widget
// tests get a QApplication on the offscreen platform, needing no display.
int main(int argc, char **argv) {
    TestSandbox sandbox;
    if (!sandbox.isValid())
        return 2;
#ifdef KIST_GUI_TESTS
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
