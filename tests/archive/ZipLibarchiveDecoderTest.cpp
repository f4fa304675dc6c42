#include "archive/ZipLibarchiveDecoder.h"
#include "support/TestDirs.h"

#include "ZipFixtures.h"

#include <gtest/gtest.h>

using namespace ZipFixtures;

namespace {

// The entry's whole data, or none when reading fails or its check does not pass.
std::optional<QByteArray> readEntry(ZipLibarchiveDecoder &decoder) {
    QByteArray data;
    char buffer[4096];
    qint64 count = 0;
    while ((count = decoder.readData(buffer, sizeof buffer)) > 0)
        data.append(buffer, count);
    const bool good = decoder.finishData();
    if (count < 0 || !good)
        return std::nullopt;
    return data;
}

} // namespace

TEST(ZipLibarchiveDecoder, FindsEntriesByIndexInAnyOrder) {
    ScratchDir dir;
    const QByteArray two(70000, 't');
    dir.write("one.txt", "first");
    dir.write("two.txt", two);
    // zip keeps the order of its command line: two.txt is entry 0.
    ASSERT_TRUE(runIn(dir, "zip -q -P secret t.zip two.txt one.txt"));
    ZipLibarchiveDecoder decoder(dir.file("t.zip"), "secret");
    ASSERT_TRUE(decoder.openEntry({1, 5, 0}));
    EXPECT_EQ(readEntry(decoder), "first");
    ASSERT_TRUE(decoder.openEntry({0, quint64(two.size()), 0})) << "going back reopens";
    EXPECT_EQ(readEntry(decoder), two);
    EXPECT_FALSE(decoder.openEntry({1, 6, 0})) << "the entry there is not the one expected";
    EXPECT_FALSE(decoder.openEntry({2, 0, 0}));
    ASSERT_TRUE(decoder.openEntry({1, 5, 0})) << "a failure does not spoil later entries";
    EXPECT_EQ(readEntry(decoder), "first");
}

TEST(ZipLibarchiveDecoder, WrongPasswordFailsTheRead) {
    // ZipCrypto checks a wrong password against one byte only: one time in 256 the check passes
    // and the data's CRC fails instead, so only AES promises to name the password.
    const struct {
        const char *label;
        const char *command;
        bool namesThePassword;
    } makers[] = {
        {"AES", "7zz a -tzip -mem=AES256 -psecret t.zip a.txt", true},
        {"ZipCrypto", "zip -q -P secret t.zip a.txt", false},
    };
    for (const auto &[label, command, namesThePassword] : makers) {
        SCOPED_TRACE(label);
        ScratchDir dir;
        dir.write("a.txt", QByteArray(10000, 'a'));
        ASSERT_TRUE(runIn(dir, command));
        ZipLibarchiveDecoder decoder(dir.file("t.zip"), "wrong");
        ASSERT_TRUE(decoder.openEntry({0, 10000, 0}));
        EXPECT_FALSE(readEntry(decoder).has_value());
        if (namesThePassword) {
            EXPECT_TRUE(decoder.errorString().contains("passphrase", Qt::CaseInsensitive))
                << decoder.errorString().toStdString();
        }
    }
    ScratchDir none;
    ZipLibarchiveDecoder missing(none.file("missing.zip"), {});
    EXPECT_FALSE(missing.openEntry({0, 0, 0}));
}
