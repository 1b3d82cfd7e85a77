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

TEST(NameMappingTest, TextNamesReadAsTheyAre) {
    EXPECT_EQ(CatalogNameFromLocal(QByteArray("readme.txt")), QStringLiteral("readme.txt"));
    EXPECT_EQ(CatalogNameFromLocal(QByteArray("a:b*c?.\"<>|")), QStringLiteral("a:b*c?.\"<>|"));
    EXPECT_EQ(CatalogNameFromLocal(QStringLiteral("Grüße €𝄞").toUtf8()), QStringLiteral("Grüße €𝄞"));
    EXPECT_EQ(LocalNameFromCatalog(QStringLiteral("Grüße €𝄞")), QStringLiteral("Grüße €𝄞").toUtf8());
    EXPECT_EQ(CatalogNameFromLocal(QByteArray()), QString());
}

TEST(NameMappingTest, BackslashNeverSplitsAPath) {
    const QString name = CatalogNameFromLocal(QByteArray("a\\b"));
    EXPECT_FALSE(name.contains(QLatin1Char('\\')));
    EXPECT_EQ(name, QStringLiteral("a\uF05Cb"));
    EXPECT_EQ(LocalNameFromCatalog(name), QByteArray("a\\b"));
    // Mixed with non-ASCII text the slow path must do the same.
    EXPECT_EQ(CatalogNameFromLocal(QStringLiteral("é\\").toUtf8()), QStringLiteral("é\uF05C"));
}

TEST(NameMappingTest, InvalidUtf8KeepsItsBytes) {
    // Latin-1 "Gr\xfc\xdfe", a stray continuation byte, a truncated sequence, an overlong '/', an
    // encoded surrogate and a code point above U+10FFFF.
    const QByteArray latin1 = Bytes({'G', 'r', 0xFC, 0xDF, 'e'});
    EXPECT_EQ(CatalogNameFromLocal(latin1), QStringLiteral("Gr\uF7FC\uF7DFe"));
    EXPECT_EQ(CatalogNameFromLocal(Bytes({0x80})), QStringLiteral("\uF780"));
    EXPECT_EQ(CatalogNameFromLocal(Bytes({'x', 0xE2, 0x82})), QStringLiteral("x\uF7E2\uF782"));
    EXPECT_EQ(CatalogNameFromLocal(Bytes({0xC0, 0xAF})), QStringLiteral("\uF7C0\uF7AF"));
    EXPECT_EQ(CatalogNameFromLocal(Bytes({0xED, 0xA0, 0x80})), QStringLiteral("\uF7ED\uF7A0\uF780"));
    EXPECT_EQ(CatalogNameFromLocal(Bytes({0xF4, 0x90, 0x80, 0x80})),
              QStringLiteral("\uF7F4\uF790\uF780\uF780"));
    // A valid sequence right after an invalid byte is still decoded.
    EXPECT_EQ(CatalogNameFromLocal(Bytes({0xFF, 0xC3, 0xA9})), QStringLiteral("\uF7FFé"));
}

TEST(NameMappingTest, NamesHoldingTheStandInCharactersStayDistinct) {
    const QByteArray standIn = QStringLiteral("\uF05C").toUtf8();
    const QByteArray rawByte = QStringLiteral("\uF7FC").toUtf8();
    EXPECT_NE(CatalogNameFromLocal(standIn), CatalogNameFromLocal(QByteArray("\\")));
    EXPECT_NE(CatalogNameFromLocal(rawByte), CatalogNameFromLocal(Bytes({0xFC})));
    EXPECT_EQ(LocalNameFromCatalog(CatalogNameFromLocal(standIn)), standIn);
    EXPECT_EQ(LocalNameFromCatalog(CatalogNameFromLocal(rawByte)), rawByte);
    // Neighbours of the reserved range are ordinary characters.
    const QString neighbour = QStringLiteral("\uF77F\uF05B");
    EXPECT_EQ(CatalogNameFromLocal(neighbour.toUtf8()), neighbour);
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
    EXPECT_EQ(LocalNameFromCatalog(QStringLiteral("a\\b")), QByteArray("a\\b"));
}

} // namespace
} // namespace mendor
