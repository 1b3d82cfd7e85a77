// mendor-cli verify: a medium catalogued with checksums, changed file by file, compared with its
// catalog; neither the catalog nor the medium changes.
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace mendor::test;

namespace {

void setModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

TEST(VerifyCommandTest, ReportsEachKindOfDifferenceAndNothingForAnUnchangedMedium) {
    QTemporaryDir home;
    QTemporaryDir volume;
    CopyTemplate(home.filePath("Disks.mdb"));
    const auto path = [&](const char* name) { return volume.filePath(name); };
    QDir(volume.path()).mkpath("docs");
    for (const char* name : {"gone.txt", "docs/grow.txt", "touched.txt", "edited.txt", "same.txt"})
        WriteBytes(path(name), "12345");
    const auto cli = [&](const QStringList& arguments) { return RunCli(home.path(), arguments); };
    ASSERT_EQ(cli({"map", "E:", volume.path()}).exitCode, 0);
    const CliResult catalogued = cli({"catalog", "E:", "--db", "Disks", "--name", "Disc", "--checksums"});
    ASSERT_EQ(catalogued.exitCode, 0) << catalogued.err.toStdString();

    const CliResult unchanged = cli({"verify", "E:", "--db", "Disks"});
    EXPECT_EQ(unchanged.exitCode, 0) << unchanged.err.toStdString();
    EXPECT_EQ(unchanged.out, "");
    EXPECT_TRUE(unchanged.err.contains("The medium matches its catalog.")) << unchanged.err.toStdString();

    QFile::remove(path("gone.txt"));
    WriteBytes(path("new.txt"), "n");
    const QDateTime kept = QFileInfo(path("edited.txt")).lastModified();
    WriteBytes(path("docs/grow.txt"), "1234567");
    setModified(path("docs/grow.txt"), kept.addDays(-5));
    setModified(path("touched.txt"), kept.addDays(-3));
    WriteBytes(path("edited.txt"), "54321");
    setModified(path("edited.txt"), kept);
    const QByteArray catalogBefore = ReadBytes(home.filePath("Disks.mdb"));
    const QStringList mediumBefore = QDir(volume.path()).entryList(QDir::AllEntries | QDir::Hidden);

    const CliResult changed = cli({"verify", "E:", "--db", "Disks"});
    EXPECT_EQ(changed.exitCode, 1) << changed.err.toStdString();
    QStringList lines = changed.out.split('\n', Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.section('\t', 0, 1) + (line.contains("content") ? " content" : "") +
               (line.contains("size 5 -> 7") ? " size" : "") + (line.contains("modified") ? " date" : "");
    lines.sort();
    EXPECT_EQ(lines, QStringList({"changed\tdocs\\grow.txt size date", "changed\tedited.txt content",
                                  "changed\ttouched.txt date", "missing\tgone.txt", "new\tnew.txt"}));
    EXPECT_TRUE(changed.err.contains("1 missing, 1 new, 3 changed.")) << changed.err.toStdString();
    EXPECT_EQ(ReadBytes(home.filePath("Disks.mdb")), catalogBefore);
    EXPECT_EQ(QDir(volume.path()).entryList(QDir::AllEntries | QDir::Hidden), mediumBefore);

    EXPECT_EQ(cli({"verify", "E:"}).exitCode, 2);
    EXPECT_EQ(cli({"verify", "E:", "--db", "Nope"}).exitCode, 1);
}

} // namespace
