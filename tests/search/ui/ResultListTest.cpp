// The search result list's column sorting, and the report rendered, printed and saved.
#include "search/ui/ResultList.h"

#include "search/SearchReport.h"
#include "search/ui/ReportBox.h"
#include "search/ui/ResultListModel.h"
#include "search/ui/RtfDocument.h"
#include "search/ui/SearchColumns.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"
#include "support/ui/FakeMainWindowServices.h"

#include <gtest/gtest.h>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

namespace mendor {
namespace {

ResultRow fileRow(const QString& name, std::int64_t size, std::int64_t modified) {
    ResultRow row;
    row.name = name;
    row.size = size;
    row.modified = modified;
    return row;
}

QStringList names(const ResultList& list) {
    QStringList result;
    for (int row = 0; row < list.model().rowCount(); ++row)
        result.append(list.model().row(row).name);
    return result;
}

TEST(ResultListTest, HeaderClicksToggleTheOrderAndMoveTheMarkerAsInTheBrowseList) {
    test::FakeMainWindowServices services;
    ResultList list(services);
    SetSearchColumns(list);
    ASSERT_EQ(list.headerCaption(0), "» Name");
    // Modified 10/1/2001 and 9/1/2001: dates sort by their text, so October comes first.
    QList<ResultRow> rows = {fileRow("b", 2048, 1001894400), fileRow("A", 10, 999302400),
                             fileRow("c", 1536 * 1024, 999302400)};
    list.model().appendRows(rows);
    list.applySort();
    EXPECT_EQ(names(list), QStringList({"A", "b", "c"}));

    list.ColumnClick(0);
    EXPECT_EQ(list.headerCaption(0), "« Name");
    EXPECT_EQ(names(list), QStringList({"c", "b", "A"}));
    list.ColumnClick(6);
    EXPECT_EQ(list.headerCaption(0), "Name");
    EXPECT_EQ(list.headerCaption(6), "» Modified");
    EXPECT_EQ(names(list), QStringList({"b", "c", "A"}));
    list.ColumnClick(1);
    EXPECT_EQ(list.headerCaption(6), "Modified");
    EXPECT_EQ(list.headerCaption(1), "« Size");
    EXPECT_EQ(names(list), QStringList({"c", "b", "A"}));

    // Names alike but for case in their first nine characters are ordered by the rest.
    QList<ResultRow> alike = {fileRow("IMG_0001.JPG", 1, 0), fileRow("img_0001.jpe", 1, 0),
                              fileRow("Img_0001.jp", 1, 0), fileRow("img_0001.jpG", 1, 0)};
    list.model().clearRows();
    list.model().appendRows(alike);
    list.ColumnClick(0);
    EXPECT_EQ(names(list), QStringList({"Img_0001.jp", "img_0001.jpe", "IMG_0001.JPG", "img_0001.jpG"}));
}

// Names that tie in their first sixteen characters are ordered by the rest; folded characters
// order by their code points, also beyond 16 bits; equal names keep their order both ways.
TEST(ResultListTest, LongAndNonAsciiNamesSortByTheirFoldedCharacters) {
    test::FakeMainWindowServices services;
    ResultList list(services);
    QList<ResultRow> rows;
    for (const char* name :
         {"Holiday Photos 2001 B.JPG", "𝒜", "holiday photos 2001 a.jpg", "Ezra", "HOLIDAY PHOTOS 2001 b.jpg",
          "Éclair", "Holiday Photos 2001", "Ａ", "holiday photos 20"})
        rows.append(fileRow(QString::fromUtf8(name), 1, 0));
    list.model().appendRows(rows);
    list.model().sortByText(0, false);
    EXPECT_EQ(names(list),
              QStringList({"Ezra", "holiday photos 20", "Holiday Photos 2001", "holiday photos 2001 a.jpg",
                           "Holiday Photos 2001 B.JPG", "HOLIDAY PHOTOS 2001 b.jpg", "Éclair", "Ａ", "𝒜"}));
    list.model().sortByText(0, true);
    EXPECT_EQ(names(list),
              QStringList({"𝒜", "Ａ", "Éclair", "Holiday Photos 2001 B.JPG", "HOLIDAY PHOTOS 2001 b.jpg",
                           "holiday photos 2001 a.jpg", "Holiday Photos 2001", "holiday photos 20", "Ezra"}));
}

// The list keeps the texts that rows share once: every row still shows its own.
TEST(ResultListTest, RowsShowWhatTheyWereAddedWith) {
    test::FakeMainWindowServices services;
    ResultList list(services);
    const QString shared = QStringLiteral("E:\\Docs\\");
    QList<ResultRow> added;
    for (int i = 0; i < 6; ++i) {
        ResultRow row = fileRow(QStringLiteral("f%1").arg(i), i * 1000, 999302400 + i);
        row.folder = i == 2;
        row.location = i % 2 == 1 ? shared : QStringLiteral("E:\\%1\\").arg(i % 3);
        row.volume = i < 3 ? QStringLiteral("Music CD") : QStringLiteral("Backup");
        row.type = QStringLiteral("Type %1").arg(i % 2);
        row.attrib = i % 3 == 0 ? QString() : QStringLiteral("A");
        row.description = i == 4 ? QStringLiteral("note") : QString();
        row.created = i == 5 ? kNoDate : i;
        row.id = 100 + i;
        added.append(row);
    }
    // A second time, after the list was emptied, in the other order.
    for (const bool reversed : {false, true}) {
        list.model().clearRows();
        QList<ResultRow> rows = added;
        if (reversed)
            std::reverse(rows.begin(), rows.end());
        const QList<ResultRow> expected = rows;
        list.model().appendRows(rows);
        ASSERT_EQ(list.model().rowCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            const ResultRow row = list.model().row(i);
            EXPECT_EQ(std::make_pair(row.folder, row.id), std::make_pair(expected[i].folder, expected[i].id));
            for (int column = 0; column < kResultColumnCount; ++column)
                EXPECT_EQ(ResultText(row, column), ResultText(expected[i], column)) << i << " " << column;
        }
    }
}

TEST(ResultListTest, TheReportRendersPrintsAndSavesAsWritten) {
    SearchReport report;
    report.start();
    report.addEntry(false, QStringLiteral("Été.txt"), 2048, QStringLiteral("Music CD"),
                    QStringLiteral("E:\\Docs\\"));
    ReportBox box;
    box.setReport(report.finish());

    const std::unique_ptr<QTextDocument> document = RenderRtf(box.report());
    EXPECT_TRUE(
        document->toPlainText().startsWith("MENDOR PRO 3 SEARCH RESULTS... \n \nFile Été.txt (2kb) on "
                                           "Music CD in E:\\Docs\\ \n"))
        << document->toPlainText().toStdString();
    QTextCursor name = document->find(QStringLiteral("Été.txt"));
    EXPECT_EQ(name.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(document->find(QStringLiteral(" on ")).charFormat().fontWeight(), QFont::Normal);
    EXPECT_EQ(document->find(QStringLiteral("MENDOR")).charFormat().fontPointSize(), 15);
    // Groups nested too deep are no text, and their ends do not close the outer groups.
    const auto deep = RenderRtf("{\\b " + QByteArray(300, '{') + "deep" + QByteArray(300, '}') + "bold}");
    EXPECT_EQ(deep->toPlainText(), "bold");
    EXPECT_EQ(deep->find(QStringLiteral("bold")).charFormat().fontWeight(), QFont::Bold);

    QTemporaryDir folder;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath("report.pdf"));
    box.printTo(printer);
    EXPECT_TRUE(test::ReadBytes(folder.filePath("report.pdf")).startsWith("%PDF"));

    test::ScriptedPrompter prompter;
    ASSERT_TRUE(box.saveTo(folder.filePath("report.rtf"), prompter));
    EXPECT_EQ(test::ReadBytes(folder.filePath("report.rtf")), RtfFileBytes(box.report()));
    prompter.expectMessage();
    EXPECT_FALSE(box.saveTo(folder.filePath("no/such/folder/report.rtf"), prompter));
}

} // namespace
} // namespace mendor
