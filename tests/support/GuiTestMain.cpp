#include "support/TestSandbox.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

#include <cstdlib>

// Window tests need a QApplication; without a display they draw offscreen.
int main(int argc, char **argv) {
    QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/kist-test-XXXXXX"));
    if (!enterTestSandbox(sandbox))
        return 2;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
