// The condition built from the Search pane's criteria.
#include "search/SearchCriteria.h"

#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace mendor {
namespace {

struct ConditionCase {
    SearchCriteria criteria;
    QString condition;
};

SearchCriteria named(const QString& name) {
    SearchCriteria criteria;
    criteria.name = name;
    return criteria;
}

TEST(SearchCriteriaTest, ConditionsFromTheCriteria) {
    SearchCriteria full = named("report");
    full.firstDate = "1/1/2001";
    full.lastDate = "2/1/2001";
    full.sizeKilobytes = "100";

    SearchCriteria equalDates;
    equalDates.firstDate = "12.31.2001";
    equalDates.lastDate = "12-31-2001";
    equalDates.dateField = DateField::Accessed;

    SearchCriteria smaller;
    smaller.sizeComparison = kSizeSmaller;
    smaller.sizeKilobytes = "1.5";
    SearchCriteria equal = smaller;
    equal.sizeComparison = kSizeEqual;
    equal.sizeKilobytes = " 1.1 ";

    SearchCriteria created = named("*.txt");
    created.dateField = DateField::Created;
    created.firstDate = "1/5/01";
    created.lastDate = "2/30/2001"; // not a date: the range is left out
    created.description = "holiday";
    created.sizeKilobytes = "ten"; // not a number: left out

    SearchCriteria onlyDescription;
    onlyDescription.description = "it's";

    const ConditionCase cases[] = {
        {named("*.txt"), R"(name like "*.txt")"},
        {named("report"), R"(name like "*report*")"},
        {full, R"(name like "*report*" and [moddate] between #1/1/2001# and #2/1/2001# and size >= 102400)"},
        {named("a*b"), R"(name like "ab*")"},
        {named("*a"), R"(name like "*a")"},
        {named("a?"), R"(name like "a*")"},
        {named("*abc*"), R"(name like "*abc*")"},
        {named("abc*.*"), R"(name like "abc*")"},
        {named("*"), R"(name like "*")"},
        {named("*.*"), R"(name like "*.*")"},
        {named("say \"hi\""), R"(name like "*say "hi"*")"},
        {equalDates, "[lastdate] = #12/31/2001#"},
        {smaller, "size <= 1536"},
        {equal, "size = 1126.4"},
        {created, R"(name like "*.txt" and description like '*holiday*')"},
        {onlyDescription, "description like '*it's*'"},
        {SearchCriteria{}, ""},
    };
    for (const ConditionCase& c : cases) {
        SearchCriteria criteria = c.criteria;
        test::ScriptedPrompter prompter;
        EXPECT_EQ(BuildSearchCondition(criteria, prompter), c.condition) << c.condition.toStdString();
    }
}

TEST(SearchCriteriaTest, DateTextsAreRewrittenBeforeTheyAreRead) {
    SearchCriteria criteria;
    criteria.firstDate = "12.31.2001";
    criteria.lastDate = "1 2 2002x";
    test::ScriptedPrompter prompter;
    EXPECT_EQ(BuildSearchCondition(criteria, prompter), "");
    EXPECT_EQ(criteria.firstDate, "12/31/2001");
    EXPECT_EQ(criteria.lastDate, "1/2/2002/");
    EXPECT_EQ(ParseSearchDate("1/5/01"), QDate(2001, 1, 5));
    EXPECT_EQ(ParseSearchDate("1/5/45"), QDate(1945, 1, 5));
    EXPECT_EQ(ParseSearchDate("2001/1/5"), QDate(2001, 1, 5));
    EXPECT_FALSE(ParseSearchDate("13/1/2001"));
    EXPECT_EQ(PlainDecimal(1e20 * 1024), "102400000000000000000000");
}

TEST(SearchCriteriaTest, NeitherKindChosenIsRefusedUnlessTheNameCoversEverything) {
    SearchCriteria criteria = named("report");
    criteria.searchFolders = criteria.searchFiles = false;
    criteria.firstDate = "1.1.2001";
    test::ScriptedPrompter prompter;
    prompter.expectMessage(kNoKindMessage);
    EXPECT_EQ(BuildSearchCondition(criteria, prompter), std::nullopt);
    EXPECT_EQ(criteria.firstDate, "1/1/2001");

    for (const char* everything : {"*", "*.*"}) {
        criteria.name = everything;
        EXPECT_EQ(BuildSearchCondition(criteria, prompter),
                  QStringLiteral("name like \"%1\"").arg(everything));
    }
}

} // namespace
} // namespace mendor
