// Search conditions translated and run against a real volume table: what each one finds.
#include "search/SqliteConditionWriter.h"
#include "store/Database.h"
#include "store/JetPattern.h"
#include "support/CatalogFixture.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

// Midnight of 1/15/2001 and a time on 1/20/2001, as stored seconds.
constexpr std::int64_t kJan15 = 979516800;
constexpr std::int64_t kJan20Noon = 979992000;

class ConditionTranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        FixtureVolume volume(QStringLiteral("0002ffff"), QStringLiteral("Music CD"));
        for (const char* name : {"Report.TXT", "annual report.doc", "ÉTÉ.jpg", "été2.jpg", "a1b", "a#b",
                                 "README", "x*y", "[draft].txt"})
            volume.addFile(1, QString::fromUtf8(name), 100);
        volume.row(2).modified = kJan15;
        volume.row(3).modified = kJan20Noon;
        volume.row(3).size = 2048;
        volume.row(3).description = QStringLiteral("Holiday photos");
        data_.addDatabase(QStringLiteral("Music"), {volume});
    }

    /// The names the condition finds, in ID order; nothing when it does not translate.
    std::optional<QStringList> find(const QString& condition) {
        const std::optional<QString> sql = TranslateCondition(condition);
        if (!sql)
            return std::nullopt;
        Database db = Database::openReadOnly(data_.databasePath(QStringLiteral("Music")));
        Statement rows = db.prepare("SELECT name FROM \"0002ffff_files\" WHERE " + *sql + " ORDER BY ID");
        QStringList names;
        while (rows.step())
            names.append(rows.columnText(0));
        return names;
    }

    CatalogFixture data_;
};

TEST_F(ConditionTranslationTest, WhatEachConditionFinds) {
    const std::pair<const char*, QStringList> cases[] = {
        {R"(name like "*report*")", {"Report.TXT", "annual report.doc"}},
        {R"(name like "*.txt")", {"Report.TXT", "[draft].txt"}},
        {R"(name like "été*")", {"ÉTÉ.jpg", "été2.jpg"}},
        {R"(name like "ÉTÉ2*")", {"été2.jpg"}},
        {R"(name like "a#b")", {"a1b"}},
        {R"(name like "a[#]b")", {"a#b"}},
        {R"(name like "?1?")", {"a1b"}},
        {R"(name like "[a-c]*")", {"annual report.doc", "a1b", "a#b"}},
        {R"(name like "[!a-r]*")", {"ÉTÉ.jpg", "été2.jpg", "x*y", "[draft].txt"}},
        {R"(name like "x[*]y")", {"x*y"}},
        {R"(name like "[[]*")", {"[draft].txt"}},
        {R"(name like "a[]1b")", {"a1b"}},
        {R"(name like "*")",
         {"Report.TXT", "annual report.doc", "ÉTÉ.jpg", "été2.jpg", "a1b", "a#b", "README", "x*y",
          "[draft].txt"}},
        {R"(description like '*holiday*')", {"annual report.doc"}},
        {R"(not description like '*')", {}},
        {R"([moddate] between #1/1/2001# and #1/31/2001#)", {"Report.TXT", "annual report.doc"}},
        {R"([moddate] = #1/15/2001#)", {"Report.TXT"}},
        {R"(name = "readme")", {"README"}},
        {R"(size >= 2048 or (name like "x*" and not size > 100))", {"annual report.doc", "x*y"}},
        {R"(size not between -5 and 1000.5 and name like "*")", {"annual report.doc"}},
        {R"(name like "x""); DROP TABLE ""index""; --" and parent > 0)", {}},
    };
    for (const auto& [condition, names] : cases) {
        const QString text = QString::fromUtf8(condition);
        EXPECT_EQ(find(text), std::optional<QStringList>(names)) << condition;
    }
    EXPECT_TRUE(Database::openReadOnly(data_.databasePath(QStringLiteral("Music"))).hasTable("index"));
}

TEST_F(ConditionTranslationTest, ConditionsThatDoNotTranslate) {
    for (const char* condition : {
             R"(name like "*ab"c*")",        // a quote in the name text ends the literal early
             R"(description like '*it's*')", // and one in the description
             R"(name like "*ab"c*" and parent > 0)",
             R"(name like "[abc")",  // a bracket that is never closed
             R"(name like "[z-a]")", // a range backwards
             R"(nosuch = 1)",        // a field the tables do not have
             R"(name like "a" or)",
             R"([moddate] = #2/30/2001#)",
             R"(name like "a"; DROP TABLE x)",
             R"(size > 2 * 1024)",
         }) {
        EXPECT_EQ(find(QString::fromUtf8(condition)), std::nullopt) << condition;
    }
    // Nesting beyond any real condition is refused rather than followed.
    EXPECT_EQ(find(QString(300, '(') + "size > 1" + QString(300, ')')), std::nullopt);
    EXPECT_TRUE(find(QString(20, '(') + "size > 1" + QString(20, ')')));
}

TEST(JetPatternTest, MatchesWithoutRegardToCaseInEveryScript) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"*straße*", "STRASSE", false}, // simple folding: ß is not ss
        {"*Σ*", "λόγος", true},         // final sigma folds to σ
        {"ПРИВЕТ", "привет", true},
        {"k*", "\u212Aelvin", true},
        {"*.jpg", "photo.JPG.bak", false},
        {"*a*b*c", "xaxbxbxc", true},
        {"", "", true},
        {"?", "", false},
        {"é", "e\u0301", false},
    };
    for (const auto& [pattern, text, matches] : cases) {
        const std::optional<JetPattern> compiled = JetPattern::compile(QString::fromUtf8(pattern));
        ASSERT_TRUE(compiled) << pattern;
        EXPECT_EQ(compiled->matches(QString::fromUtf8(text)), matches) << pattern << " ~ " << text;
    }
    EXPECT_EQ(FoldCaseUtf8("\xC3\x89T\xFF", 4), "\xC3\xA9t\xEF\xBF\xBD");
    // Plain ASCII, also eight bytes at a time: only A to Z change, wherever they stand.
    std::string ascii, folded;
    for (int c = 1; c < 0x80; ++c) {
        ascii += char(c);
        folded += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    for (std::size_t start : {0, 3, 8})
        EXPECT_EQ(FoldCaseUtf8(ascii.data() + start, ascii.size() - start), folded.substr(start)) << start;
    EXPECT_EQ(FoldCaseUtf8("ABCDEFGHIJ\xC3\x89", 12), "abcdefghij\xC3\xA9");
}

} // namespace
} // namespace mendor
