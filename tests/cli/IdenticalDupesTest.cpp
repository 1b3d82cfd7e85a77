// mendor-cli dupes --identical: files with the same checksum and size across databases.
#include "support/CatalogFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace mendor;
using namespace mendor::test;

namespace {

QByteArray sum(char fill) {
    return QByteArray(16, fill);
}

TEST(IdenticalDupesTest, GroupsBySumAndSizeAcrossDatabasesWithinTheScope) {
    CatalogFixture data;
    FixtureVolume a1("a1", "Disc A");
    a1.checksums[a1.addFile(1, "a.txt", 1000)] = sum('x');
    a1.checksums[a1.addFile(1, "b.txt", 500)] = sum('y');
    a1.checksums[a1.addFile(1, "unique.txt", 1000)] = sum('z');
    a1.checksums[a1.addFile(1, "e.bin", 700)] = sum('w');
    a1.checksums[a1.addFile(a1.addFolder(1, "Sub"), "x2.txt", 1000)] = sum('x');
    FixtureVolume b1("b1", "Disc B");
    b1.checksums[b1.addFile(1, "d.txt", 500)] = sum('y');
    b1.checksums[b1.addFile(1, "copy.txt", 1000)] = sum('x');
    b1.checksums[b1.addFile(1, "e.bin", 800)] = sum('w'); // same sum, another size: not identical
    b1.checksums[b1.addFile(1, "short.txt", 10)] = QByteArray(3, 'x');
    FixtureVolume plain("p1", "No Sums");
    plain.addFile(1, "a.txt", 1000);
    data.addDatabase("Alpha", {a1});
    data.addDatabase("Beta", {b1, plain});

    const QString x = QString(16, 'x').toLatin1().toHex();
    const QString y = QString(16, 'y').toLatin1().toHex();
    struct Case {
        QStringList scope;
        QStringList lines; ///< checksum, name, location and volume of each file; "" between groups
        QString last;
    };
    const QList<Case> cases = {
        {{},
         {x + " a.txt E:\\ Disc A", x + " x2.txt E:\\Sub\\ Disc A", x + " copy.txt E:\\ Disc B", "",
          y + " b.txt E:\\ Disc A", y + " d.txt E:\\ Disc B", ""},
         "2 group(s); keeping one copy of each frees 2500 bytes"},
        {{"--in", "alpha/disc a"},
         {x + " a.txt E:\\ Disc A", x + " x2.txt E:\\Sub\\ Disc A", ""},
         "1 group(s); keeping one copy of each frees 1000 bytes"},
        {{"--in", "Beta"}, {}, "0 group(s); keeping one copy of each frees 0 bytes"},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(data.dataPath(), QStringList{"dupes", "--identical"} + c.scope);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        QStringList lines = result.out.split('\n');
        ASSERT_EQ(lines.takeLast(), "");
        EXPECT_EQ(lines.takeLast(), c.last);
        QStringList shown;
        for (const QString& line : lines) {
            const QStringList fields = line.split('\t');
            shown << (line.isEmpty() ? line
                                     : QStringList{fields[0], fields[1], fields[3], fields[4]}.join(' '));
        }
        EXPECT_EQ(shown, c.lines) << c.scope.join(' ').toStdString();
    }
    EXPECT_EQ(RunCli(data.dataPath(), {"dupes", "--identical", "--in", "Gamma"}).exitCode, 1);
    EXPECT_EQ(RunCli(data.dataPath(), {"dupes", "--identical", "--in", "Beta/No Sums"}).exitCode, 1);
    EXPECT_EQ(RunCli(data.dataPath(), {"dupes", "--identical", "--name", "a"}).exitCode, 2);
}

} // namespace
