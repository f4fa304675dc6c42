#include "archive/TarHeaderParser.h"

#include <QList>
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace {

// The record with its checksum field filled in as tar writes it: the unsigned byte sum (signed in
// old tars) with the field itself counted as blanks, six octal digits, NUL, blank.
QByteArray withChecksum(QByteArray block, bool signedBytes = false) {
    std::memset(block.data() + 148, ' ', 8);
    int sum = 0;
    for (const char byte : block)
        sum += signedBytes ? int(static_cast<signed char>(byte)) : static_cast<unsigned char>(byte);
    const QByteArray field = QByteArray::number(sum, 8).rightJustified(6, '0') + '\0' + ' ';
    std::memcpy(block.data() + 148, field.constData(), 8);
    return block;
}

// The magic of POSIX ustar headers; GNU tar's own is "ustar  \0".
const QByteArray kPosixMagic("ustar\0"
                             "00",
                             8);

// A header record with a name filling its whole field, a prefix and the given magic.
QByteArray makeBlock(const QByteArray &magic) {
    QByteArray block(TarHeaderParser::kBlockSize, '\0');
    const auto put = [&](int offset, const QByteArray &bytes) {
        std::memcpy(block.data() + offset, bytes.constData(), size_t(bytes.size()));
    };
    put(0, QByteArray(100, 'n'));
    put(100, "0100644");
    put(124, "00000001750");
    put(136, "13727410000");
    block[156] = '0';
    put(157, "target");
    put(257, magic);
    put(345, "some/folder");
    return withChecksum(block);
}

// A pax record with its self-describing length.
QByteArray paxRecord(const QByteArray &keyword, const QByteArray &value) {
    const QByteArray body = ' ' + keyword + '=' + value + '\n';
    qsizetype length = body.size() + 1;
    while (QByteArray::number(length).size() + body.size() != length)
        ++length;
    return QByteArray::number(length) + body;
}

} // namespace

TEST(TarHeaderParserNumbers, OctalAndBase256Fields) {
    // The label, the field, the number it holds (none when no number fits).
    const std::tuple<const char *, QByteArray, std::optional<qint64>> cases[] = {
        {"NUL-terminated octal", QByteArray("0000644\0", 8), 0644},
        {"blanks around the digits", QByteArray("  755 \0\0", 8), 0755},
        {"all twelve digits, no terminator", "777777777777", 0777777777777LL},
        {"stops at the first non-octal digit", "12345678", 01234567},
        {"empty field", QByteArray(12, '\0'), 0},
        {"base-256 3 GiB", QByteArray::fromHex("8000000000000000c0000000"), 3221225472LL},
        {"base-256 9 GiB", QByteArray::fromHex("800000000000000240000000"), 9663676416LL},
        {"base-256 -1", QByteArray(12, '\xff'), -1},
        {"base-256 -86400", QByteArray::fromHex("fffffffffffffffffffeae80"), -86400},
        {"base-256 beyond 64 bits",
         QByteArray::fromHex("80") + QByteArray::fromHex("0100000000000000000000"), std::nullopt},
        {"base-256 beyond signed 64 bits", QByteArray::fromHex("800000008000000000000000"),
         std::nullopt},
    };
    for (const auto &[label, field, expected] : cases)
        EXPECT_EQ(TarHeaderParser::numericField(field.constData(), field.size()), expected)
            << label;
}

TEST(TarHeaderParserRecords, UstarPrefixJoinsOnlyUnderThePosixMagicAndTheChecksumGuardsEveryByte) {
    auto header = TarHeaderParser::parse(makeBlock(kPosixMagic).constData());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->type, TarRecordType::RegularFile);
    EXPECT_EQ(header->name, "some/folder/" + QByteArray(100, 'n'));
    EXPECT_EQ(header->linkName, "target");
    EXPECT_EQ(header->size, 1000u);
    EXPECT_EQ(header->mode, 0644u) << "file type bits are not permissions";
    EXPECT_EQ(header->mtime, 1600000000);
    // GNU's own layout keeps other fields in that area.
    header = TarHeaderParser::parse(makeBlock(QByteArray("ustar  \0", 8)).constData());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name, QByteArray(100, 'n'));

    // The checksum guards every byte, but the end block has none.
    const QByteArray block = makeBlock(kPosixMagic);
    for (const qsizetype at : {qsizetype(0), qsizetype(130), qsizetype(300), qsizetype(511)}) {
        QByteArray damaged = block;
        damaged[at] = char(damaged[at] ^ 0x01);
        EXPECT_FALSE(TarHeaderParser::parse(damaged.constData())) << "byte " << at;
    }
    QByteArray signedSum = block;
    signedSum[400] = char(0xE9);
    EXPECT_TRUE(TarHeaderParser::parse(withChecksum(signedSum, true).constData()))
        << "old tars summed signed bytes";
    const QByteArray end(TarHeaderParser::kBlockSize, '\0');
    EXPECT_TRUE(TarHeaderParser::parse(end.constData())) << "the end block has no checksum";
}

TEST(TarHeaderParserPax, HonouredKeywordsAndMalformedRecords) {
    struct Case {
        const char *label;
        QByteArray data;
        bool valid;
        std::optional<QByteArray> path;
        std::optional<QByteArray> linkpath;
        std::optional<quint64> size;
        std::optional<qint64> mtime;
    };
    const QByteArray longPath = QByteArray(300, 'p') + "/\xc3\xa9t\xc3\xa9.txt";
    const QList<Case> cases = {
        {"path and linkpath", paxRecord("path", longPath) + paxRecord("linkpath", "../t"), true,
         longPath, QByteArray("../t"), std::nullopt, std::nullopt},
        {"size beyond 8 GiB", paxRecord("size", "9663676416"), true, std::nullopt, std::nullopt,
         9663676416ULL, std::nullopt},
        {"fractional mtime", paxRecord("mtime", "1700000000.123456789"), true, std::nullopt,
         std::nullopt, std::nullopt, 1700000000},
        {"negative mtime", paxRecord("mtime", "-86400"), true, std::nullopt, std::nullopt,
         std::nullopt, -86400},
        {"unknown keywords ignored",
         paxRecord("SCHILY.xattr.user.x", "v=w") + paxRecord("atime", "5") +
             paxRecord("path", "kept"),
         true, QByteArray("kept"), std::nullopt, std::nullopt, std::nullopt},
        {"later record wins", paxRecord("path", "one") + paxRecord("path", "two"), true,
         QByteArray("two"), std::nullopt, std::nullopt, std::nullopt},
        {"NUL padding after the records", paxRecord("path", "p") + QByteArray(20, '\0'), true,
         QByteArray("p"), std::nullopt, std::nullopt, std::nullopt},
        {"length too long", "99 path=x\n", false, {}, {}, {}, {}},
        {"length not ending at a newline", "10 path=xy\n", false, {}, {}, {}, {}},
        {"length not a number", "1x path=x\n", false, {}, {}, {}, {}},
        {"no keyword", paxRecord("", "x"), false, {}, {}, {}, {}},
        {"size not a number", paxRecord("size", "12k"), false, {}, {}, {}, {}},
    };
    for (const Case &c : cases) {
        const auto attributes = TarHeaderParser::parsePax(c.data);
        ASSERT_EQ(attributes.has_value(), c.valid) << c.label;
        if (!attributes)
            continue;
        EXPECT_EQ(attributes->path, c.path) << c.label;
        EXPECT_EQ(attributes->linkpath, c.linkpath) << c.label;
        EXPECT_EQ(attributes->size, c.size) << c.label;
        EXPECT_EQ(attributes->mtime, c.mtime) << c.label;
    }
}
