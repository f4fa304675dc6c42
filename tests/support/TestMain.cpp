#include "support/TestSandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/kist-test-XXXXXX"));
    if (!enterTestSandbox(sandbox))
        return 2;
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
