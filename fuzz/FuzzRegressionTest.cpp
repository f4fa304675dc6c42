#include "FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

// Every input under regressions/<target>/ once made its target fail; each must now pass.
TEST(FuzzRegressions, KeptInputsNoLongerFault) {
    FuzzTargets::limitFileSizes();
    const QDir kept(QStringLiteral(KIST_FUZZ_REGRESSIONS));
    int replayed = 0;
    for (const QString &target : kept.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ASSERT_TRUE(FuzzTargets::names().contains(target)) << target.toStdString();
        const QDir inputs(kept.filePath(target));
        for (const QString &name : inputs.entryList(QDir::Files)) {
            QFile file(inputs.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            SCOPED_TRACE((target + QLatin1Char('/') + name).toStdString());
            EXPECT_EQ(FuzzTargets::run(target, file.readAll()).toStdString(), "");
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}
