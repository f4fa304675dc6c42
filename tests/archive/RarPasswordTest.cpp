#include "RarFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace RarFixtures;
using ReaderTestKit::filesBelow;
using ReaderTestKit::readFile;

namespace {

const QByteArray kSecretText = "the secret text\n";
const QStringList kListing = {"big.bin", "d/", "d/secret.txt"};

QByteArray bigContent() {
    return noise(300000, 11);
}

// A folder with a small file and a larger one, encrypted with the option ("-p..." or
// "-hp...").
QString makeEncrypted(const ScratchDir &dir, const QString &option) {
    const QString source = dir.file("src");
    writeFile(source, "d/secret.txt", kSecretText, localDate(2020, 2, 3, 4, 5, 6));
    writeFile(source, "big.bin", bigContent(), localDate(2020, 2, 3, 4, 5, 8));
    const QString archive = dir.file("encrypted.rar");
    return makeRar(source, "-r " + option, archive, "d big.bin") ? archive : QString();
}

// Extracts the whole archive and each file alone with the reader's password; checks contents.
void expectExtracts(OpenedRar &rar, const QString &folder) {
    QDir().mkpath(folder + "/whole");
    rar.rar->extract(nullptr, folder + "/whole");
    EXPECT_EQ(rar.code(), 0);
    EXPECT_EQ(filesBelow(folder + "/whole"), kListing);
    EXPECT_EQ(readFile(folder + "/whole/d/secret.txt"), kSecretText);
    EXPECT_EQ(readFile(folder + "/whole/big.bin"), bigContent());
    rar.extract("d/secret.txt", folder + "/single");
    EXPECT_EQ(rar.code(), 0);
    EXPECT_EQ(readFile(folder + "/single/secret.txt"), kSecretText);
}

// No regular file carries an entry's name below the folder.
void expectNoFiles(const QString &folder) {
    for (const QString &item : filesBelow(folder))
        EXPECT_FALSE(QFileInfo(folder + "/" + item).isFile()) << item.toStdString();
}

} // namespace

TEST(RarPasswords, EncryptedDataKeepsNamesVisible) {
    ScratchDir dir;
    const QString archive = makeEncrypted(dir, "-psecret");
    OpenedRar rar(archive);
    EXPECT_EQ(rar.list(), kListing);
    EXPECT_EQ(rar.code(), 0);
    EXPECT_FALSE(rar.rar->hasEncryptedNames());
    EXPECT_TRUE(rar.rar->isEncrypted());

    OpenedRar right(archive, "secret");
    right.list();
    expectExtracts(right, dir.file("right"));
}

TEST(RarPasswords, WrongOrMissingPasswordLeavesNoFile) {
    ScratchDir dir;
    const QString archive = makeEncrypted(dir, "-psecret");
    for (const QString &password : {QString(), QStringLiteral("wrong")}) {
        SCOPED_TRACE(password.toStdString());
        const int expected = int(password.isEmpty() ? ArchiveErrorCode::MissingPassword
                                                    : ArchiveErrorCode::WrongPassword);
        OpenedRar rar(archive, password);
        rar.list();
        const QString folder = dir.file("out-" + password);
        QDir().mkpath(folder + "/whole");
        rar.rar->extract(nullptr, folder + "/whole");
        EXPECT_EQ(rar.code(), expected);
        rar.extract("d/secret.txt", folder + "/single");
        EXPECT_EQ(rar.code(), expected);
        rar.extract("d/", folder + "/folder");
        EXPECT_EQ(rar.code(), expected);
        rar.extract("big.bin", folder + "/big");
        EXPECT_EQ(rar.code(), expected);
        expectNoFiles(folder);
    }
}

TEST(RarPasswords, EncryptedHeadersNeedThePasswordToList) {
    ScratchDir dir;
    const QString archive = makeEncrypted(dir, "-hpsecret");
    OpenedRar rar(archive);
    EXPECT_TRUE(rar.list().isEmpty());
    EXPECT_TRUE(rar.rar->hasEncryptedNames());
    // Asking for the password is no failure: the caller asks the user and lists again.
    EXPECT_EQ(rar.code(), 0);
    EXPECT_TRUE(rar.rar->isEncrypted());

    rar.rar->setPassword("secret");
    EXPECT_EQ(rar.list(), kListing);
    EXPECT_EQ(rar.code(), 0);
    expectExtracts(rar, dir.file("right"));

    OpenedRar wrong(archive, "wrong");
    EXPECT_TRUE(wrong.list().isEmpty());
    EXPECT_EQ(wrong.code(), int(ArchiveErrorCode::WrongPassword));
    const QString folder = dir.file("wrong");
    QDir().mkpath(folder);
    wrong.rar->extract(folder);
    EXPECT_EQ(wrong.code(), int(ArchiveErrorCode::WrongPassword));
    EXPECT_TRUE(filesBelow(folder).isEmpty());
}

TEST(RarPasswords, TheAnswerIsAskedOnceThenKept) {
    ScratchDir dir;
    const QString source = dir.file("src");
    writeFile(source, "plain.txt", "plain\n", localDate(2020, 2, 3, 4, 5, 6));
    const QString plain = dir.file("plain.rar");
    ASSERT_TRUE(makeRar(source, "", plain, "plain.txt"));
    const QString encrypted = makeEncrypted(dir, "-psecret");
    for (const auto &[path, expected] : {std::pair{plain, false}, std::pair{encrypted, true}}) {
        SCOPED_TRACE(path.toStdString());
        OpenedRar rar(path);
        EXPECT_EQ(rar.rar->isEncrypted(), expected);
        // Without the file, the kept answer still holds and nothing is opened.
        ASSERT_TRUE(QFile::remove(path));
        EXPECT_EQ(rar.rar->isEncrypted(), expected);
        EXPECT_EQ(rar.code(), 0);
    }
}
