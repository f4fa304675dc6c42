#include "support/TestSandbox.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// The widget tests' main: the same private folders, a QApplication, and no display needed.
int main(int argc, char **argv) {
    TestSandbox sandbox;
    if (!sandbox.isValid())
        return 2;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
