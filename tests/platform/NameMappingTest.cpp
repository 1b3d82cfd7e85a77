#include "platform/NameMapping.h"

#include <gtest/gtest.h>
#include <QHash>
#include <random>

namespace mendor {
namespace {

QByteArray Bytes(std::initializer_list<unsigned char> list) {
    QByteArray out;
    for (unsigned char b : list)
        out.append(static_cast<char>(b));
    return out;
}

TEST(NameMappingTest, TextNamesReadAsTheyAreAndOtherBytesKeepTheirValue) {
    const struct {
        QByteArray local;
        QString catalog;
    } cases[] = {{"readme.txt", "readme.txt"},
                 {"a:b*c?.\"<>|", "a:b*c?.\"<>|"},
                 {QStringLiteral("Grüße €𝄞").toUtf8(), QStringLiteral("Grüße €𝄞")},
                 {"", ""},
                 // A backslash never splits a path, also mixed with other text.
                 {"a\\b", "a\uF05Cb"},
                 {QStringLiteral("é\\").toUtf8(), "é\uF05C"},
                 // Latin-1 "Grüße", a stray continuation byte, a truncated sequence, an overlong '/', an
                 // encoded surrogate and a code point above U+10FFFF keep their bytes.
                 {Bytes({'G', 'r', 0xFC, 0xDF, 'e'}), "Gr\uF7FC\uF7DFe"},
                 {Bytes({0x80}), "\uF780"},
                 {Bytes({'x', 0xE2, 0x82}), "x\uF7E2\uF782"},
                 {Bytes({0xC0, 0xAF}), "\uF7C0\uF7AF"},
                 {Bytes({0xED, 0xA0, 0x80}), "\uF7ED\uF7A0\uF780"},
                 {Bytes({0xF4, 0x90, 0x80, 0x80}), "\uF7F4\uF790\uF780\uF780"},
                 // A valid sequence right after an invalid byte is still decoded.
                 {Bytes({0xFF, 0xC3, 0xA9}), "\uF7FFé"},
                 // Neighbours of the reserved range are ordinary characters.
                 {QStringLiteral("\uF77F\uF05B").toUtf8(), "\uF77F\uF05B"}};
    for (const auto& c : cases) {
        EXPECT_EQ(CatalogNameFromLocal(c.local), c.catalog) << c.local.toHex().constData();
        EXPECT_EQ(LocalNameFromCatalog(c.catalog), c.local) << c.local.toHex().constData();
    }
}

TEST(NameMappingTest, NamesHoldingTheStandInCharactersStayDistinct) {
    const QByteArray standIn = QStringLiteral("\uF05C").toUtf8();
    const QByteArray rawByte = QStringLiteral("\uF7FC").toUtf8();
    EXPECT_NE(CatalogNameFromLocal(standIn), CatalogNameFromLocal(QByteArray("\\")));
    EXPECT_NE(CatalogNameFromLocal(rawByte), CatalogNameFromLocal(Bytes({0xFC})));
    EXPECT_EQ(LocalNameFromCatalog(CatalogNameFromLocal(standIn)), standIn);
    EXPECT_EQ(LocalNameFromCatalog(CatalogNameFromLocal(rawByte)), rawByte);
}

TEST(NameMappingTest, EveryShortByteStringRoundTrips) {
    for (int a = 1; a < 256; ++a) {
        for (int b = 1; b < 256; ++b) {
            const QByteArray bytes = Bytes({static_cast<unsigned char>(a), static_cast<unsigned char>(b)});
            ASSERT_EQ(LocalNameFromCatalog(CatalogNameFromLocal(bytes)), bytes) << a << ' ' << b;
        }
    }
}

TEST(NameMappingTest, RandomByteStringsRoundTripAndMappingIsOneToOne) {
    std::mt19937 random(20240611);
    // Bias towards bytes that start or continue multi-byte sequences.
    const unsigned char alphabet[] = {'a',  '\\', 0x80, 0x9C, 0xA0, 0xBF, 0xC3, 0xE0, 0xED,
                                      0xEF, 0xF0, 0xF4, 0xF7, 0x81, 0x9E, 0xFF, 0x8F, 0x90};
    std::uniform_int_distribution<int> pick(0, sizeof(alphabet) - 1);
    std::uniform_int_distribution<int> size(1, 8);
    QHash<QString, QByteArray> seen;
    for (int round = 0; round < 100000; ++round) {
        QByteArray bytes;
        for (int n = size(random); n > 0; --n)
            bytes.append(static_cast<char>(alphabet[pick(random)]));
        const QString name = CatalogNameFromLocal(bytes);
        ASSERT_EQ(LocalNameFromCatalog(name), bytes) << bytes.toHex().constData();
        const auto it = seen.constFind(name);
        if (it != seen.constEnd()) {
            ASSERT_EQ(*it, bytes) << "two names map to one catalog name";
        }
        seen.insert(name, bytes);
    }
}

TEST(NameMappingTest, CatalogTextWithoutALocalFormStillEncodes) {
    // A lone surrogate cannot come from a local name but may be typed; it must not break encoding.
    const QString lone(QChar(0xD800));
    EXPECT_EQ(LocalNameFromCatalog(lone), QByteArray("\xEF\xBF\xBD"));
    EXPECT_EQ(LocalNameFromCatalog("a\\b"), QByteArray("a\\b"));
}

} // namespace
} // namespace mendor
