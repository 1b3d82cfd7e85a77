// mendor-cli search and dupes over a data folder of real catalog databases.
#include "search/SearchCriteria.h"
#include "search/SearchRun.h"
#include "support/CatalogFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace mendor;
using namespace mendor::test;

namespace {

class SearchCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FixtureVolume music("0002ffff", "Music CD");
        const auto docs = music.addFolder(1, "Docs");
        music.addFile(docs, "readme.txt", 100, "line one\nline\ttwo");
        music.addFile(1, "Readme.txt", 100);
        data_.addDatabase("Music", {music});
    }
    CliResult cli(const QStringList& arguments) const { return RunCli(data_.dataPath(), arguments); }

    CatalogFixture data_;
};

TEST_F(SearchCommandsTest, SearchPrintsTheTenColumnsThenTheStatusAndWritesTheReport) {
    const QString report = data_.dataPath() + "/found.rtf";
    const CliResult found =
        cli({"search", "--name", "readme", "--no-folders", "--in", "Music/music cd", "--report", report});
    ASSERT_EQ(found.exitCode, 0) << found.err.toStdString();
    const QStringList lines = found.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    const QStringList first = lines[0].split('\t');
    ASSERT_EQ(first.size(), 10);
    EXPECT_EQ(first[0], "readme.txt");
    EXPECT_EQ(first[2], "E:\\Docs\\");
    EXPECT_EQ(first[9], "line one line two");
    EXPECT_EQ(lines[2], " Found 0 folders, and 2 files, Done ");
    EXPECT_TRUE(
        ReadBytes(report).contains("File {\\b Readme.txt} (1kb) on {\\b Music CD} in E:\\\\ {\\par}"));

    const CliResult wrongScope = cli({"search", "--name", "x", "--in", "Nope"});
    EXPECT_EQ(wrongScope.exitCode, 1);
    EXPECT_EQ(cli({"search", "--name"}).exitCode, 2);
    EXPECT_EQ(cli({"search", "--size", "huge", "5"}).exitCode, 2);
}

TEST_F(SearchCommandsTest, MissingCriteriaAndKindsAreRefusedWithTheirMessages) {
    const CliResult none = cli({"search", "--in", "ALL"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err.trimmed(), kNoCriteriaMessage);
    const CliResult kinds = cli({"search", "--name", "a", "--no-folders", "--no-files"});
    EXPECT_EQ(kinds.exitCode, 1);
    EXPECT_EQ(kinds.err.trimmed(), kNoKindMessage + "\n" + kNoCriteriaMessage);
}

TEST_F(SearchCommandsTest, DuplicatesWithinOneDatabaseAndTheWholeCatalogueQuestion) {
    EXPECT_EQ(cli({"dupes", "--name", "readme"}).exitCode, 2);
    EXPECT_EQ(cli({"dupes", "--name", "readme", "--in", "ALL"}).exitCode, 2);

    const CliResult asked = cli({"dupes", "--name", "*", "--in", "Music"});
    EXPECT_EQ(asked.exitCode, 1);
    EXPECT_TRUE(asked.err.startsWith(kWholeCatalogueQuestion)) << asked.err.toStdString();

    const CliResult found = cli({"dupes", "--name", "*", "--in", "Music", "--yes", "--by-size"});
    ASSERT_EQ(found.exitCode, 0) << found.err.toStdString();
    const QStringList lines = found.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], "Found 0 folder(s) and 2 file(s) -- DONE");
}

} // namespace
