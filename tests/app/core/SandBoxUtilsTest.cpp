#include "app/core/SandBoxUtils.h"
#include "support/TestDirs.h"
#include "util/SettingsKeys.h"
#include "util/UserDefaults.h"

#include <QDir>
#include <QVariantMap>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QStringList storedFolders() {
    return UserDefaults::open()->value(SettingsKeys::kSandBoxBookMarkURLS).toMap().keys();
}

class SandBoxUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearSettings();
        for (const char *name : {"u/Downloads/a", "u/Downloads2", "u/Documents"})
            QDir().mkpath(dir_.file(name));
    }
    QString path(const char *name) const { return dir_.file(name); }
    ScratchDir dir_;
};

} // namespace

TEST_F(SandBoxUtilsTest, GrantCoversPathsInsideItOnly) {
    ASSERT_TRUE(SandBoxUtils::saveBookMarkURL(path("u/Downloads")).has_value());
    EXPECT_EQ(SandBoxUtils::getBookMarkURL(path("u/Downloads/a/b.zip"), false),
              path("u/Downloads"));
    EXPECT_EQ(SandBoxUtils::getBookMarkURL(path("u/Downloads"), false), path("u/Downloads"));
    EXPECT_FALSE(SandBoxUtils::getBookMarkURL(path("u/Downloads2/c.zip"), false).has_value());
}

TEST_F(SandBoxUtilsTest, SavingAContainingFolderReplacesOneInnerGrant) {
    SandBoxUtils::saveBookMarkURL(path("u/Downloads"));
    SandBoxUtils::saveBookMarkURL(path("u/Documents"));
    ASSERT_TRUE(SandBoxUtils::saveBookMarkURL(path("u")).has_value());
    const QStringList folders = storedFolders();
    EXPECT_EQ(folders.size(), 2);
    EXPECT_TRUE(folders.contains(path("u")));
    EXPECT_TRUE(folders.contains(path("u/Downloads")))
        << "only the first inner grant in key order goes";
}

TEST_F(SandBoxUtilsTest, SavingAStoredFolderChangesNothing) {
    const auto first = SandBoxUtils::saveBookMarkURL(path("u/Downloads"));
    ASSERT_TRUE(first.has_value());
    EXPECT_FALSE(SandBoxUtils::saveBookMarkURL(path("u/Downloads")).has_value());
    EXPECT_EQ(UserDefaults::open()
                  ->value(SettingsKeys::kSandBoxBookMarkURLS)
                  .toMap()
                  .value(path("u/Downloads")),
              QVariant(*first));
}

TEST_F(SandBoxUtilsTest, StaleAndVanishedBookmarksAreSkipped) {
    const auto bookmark = SandBoxUtils::bookmarkForURL(path("u/Documents"));
    ASSERT_TRUE(bookmark.has_value());
    EXPECT_EQ(SandBoxUtils::urlForBookmark(*bookmark), path("u/Documents"));

    SandBoxUtils::saveBookMarkURL(path("u/Documents"));
    // The old folder stays on disk under another name, so the new one gets another inode.
    ASSERT_TRUE(QDir().rename(path("u/Documents"), path("u/Old")));
    EXPECT_FALSE(SandBoxUtils::urlForBookmark(*bookmark).has_value());
    ASSERT_TRUE(QDir().mkpath(path("u/Documents")));
    EXPECT_FALSE(SandBoxUtils::urlForBookmark(*bookmark).has_value())
        << "another folder now stands there";
    EXPECT_FALSE(SandBoxUtils::getBookMarkURL(path("u/Documents/x.zip"), false).has_value());
    EXPECT_FALSE(SandBoxUtils::getBookMarkURL(path("u/Documents"), true).has_value())
        << "the stale key blocks a new grant for the same path";
    EXPECT_FALSE(SandBoxUtils::urlForBookmark(QByteArray("garbage")).has_value());
}

TEST_F(SandBoxUtilsTest, LookupCreatesAGrantWhenAsked) {
    EXPECT_EQ(SandBoxUtils::getBookMarkURL(path("u/Downloads2")), path("u/Downloads2"));
    EXPECT_EQ(storedFolders(), QStringList{path("u/Downloads2")});
    EXPECT_FALSE(SandBoxUtils::bookmarkForURL(path("missing")).has_value());
}

TEST(SandBoxEnvironment, SandboxFollowsTheVariable) {
    EXPECT_FALSE(SandBoxUtils::isInSandBox());
    setenv("APP_SANDBOX_CONTAINER_ID", "", 1);
    EXPECT_TRUE(SandBoxUtils::isInSandBox());
    unsetenv("APP_SANDBOX_CONTAINER_ID");
}
