// A scan with checksums and with other archives as folders: fixtures made by the system's tar,
// 7z and xorriso; checksums as xxh128sum prints them.
#include "catalog/FileChecksum.h"
#include "catalog/Scanner.h"
#include "shell/Flags.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "support/TestFiles.h"
#include "support/WithoutPermissionOverride.h"

#include <gtest/gtest.h>
#include <map>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace mendor;
using namespace mendor::test;

namespace {

const QString kT = QStringLiteral("vol");

struct Scanned {
    std::map<QString, bool> rows;      ///< name: in the folders table
    std::map<QString, QString> sums;   ///< name: checksum
    std::map<QString, QString> inside; ///< member name: its description
    std::map<QString, int> members;    ///< folder name: files directly in it
    bool hasSums = false;
};

class ScanChecksumsArchives : public ::testing::Test {
protected:
    void SetUp() override {
        gAbort = kFlagClear;
        volume_ = dir_.filePath("vol");
        const QString content = dir_.filePath("content");
        ASSERT_TRUE(QDir().mkpath(volume_) && QDir().mkpath(content + "/docs"));
        WriteBytes(content + "/docs/readme.txt", QByteArray(1234, 'r'));
        WriteBytes(content + "/top.txt", "top");
        WriteBytes(volume_ + "/a.txt", "hello");
        WriteBytes(volume_ + "/big.bin", QByteArray(600000, 'b')); // three blocks
        WriteBytes(volume_ + "/secret.txt", "hidden");
        QFile(volume_ + "/secret.txt").setPermissions({});
        WriteBytes(volume_ + "/bad.tar.gz", QByteArray(5000, 'x'));
        ASSERT_TRUE(RunTool(content, "tar", {"-cf", volume_ + "/a.tar", "docs", "top.txt"}));
        ASSERT_TRUE(RunTool(content, "7z", {"a", "-bd", "-bso0", volume_ + "/a.7z", "docs", "top.txt"}));
        ASSERT_TRUE(
            RunTool(content, "xorriso", {"-as", "mkisofs", "-quiet", "-R", "-o", volume_ + "/a.iso", "."}));
        dbPath_ = dir_.filePath("Test.mdb");
        ASSERT_TRUE(QFile::copy(QStringLiteral(MENDOR_TEST_PROGRAM_DIR "/template.qvt"), dbPath_));
        QFile(dbPath_).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }

    Scanned scan(const ScanOptions& options) {
        Database db = Database::open(dbPath_);
        Transaction transaction(db);
        DropVolumeTables(db, kT);
        CreateVolumeTables(db, kT);
        NullProgressSink quiet;
        {
            const WithoutPermissionOverride unreadable;
            CountedVolume volume(volume_);
            EXPECT_FALSE(ScanVolume(db, kT, "E:", volume, options, quiet).aborted);
        }
        transaction.commit();
        Scanned scanned;
        Statement rows =
            db.prepare(QStringLiteral("SELECT 1, name, NULL FROM %1 UNION ALL SELECT 0, name, "
                                      "description FROM %2")
                           .arg(quoteIdentifier(DirsTable(kT)), quoteIdentifier(FilesTable(kT))));
        while (rows.step()) {
            scanned.rows[rows.columnText(1)] = rows.columnInt(0) != 0;
            if (!rows.isNull(2))
                scanned.inside[rows.columnText(1)] = rows.columnText(2);
        }
        Statement folders =
            db.prepare(QStringLiteral("SELECT d.name, count(f.ID) FROM %1 d LEFT JOIN %2 f ON "
                                      "f.parent = d.ID GROUP BY d.ID")
                           .arg(quoteIdentifier(DirsTable(kT)), quoteIdentifier(FilesTable(kT))));
        while (folders.step())
            scanned.members[folders.columnText(0)] = int(folders.columnInt(1));
        scanned.hasSums = HasSumsTable(db, kT);
        if (scanned.hasSums) {
            Statement sums =
                db.prepare(QStringLiteral("SELECT f.name, s.checksum FROM %1 s JOIN %2 f USING (ID)")
                               .arg(quoteIdentifier(SumsTable(kT)), quoteIdentifier(FilesTable(kT))));
            while (sums.step()) {
                Checksum checksum;
                EXPECT_TRUE(ChecksumFromBytes(sums.columnBlob(1), checksum));
                scanned.sums[sums.columnText(0)] = ChecksumText(checksum);
            }
        }
        return scanned;
    }

    QTemporaryDir dir_;
    QString volume_;
    QString dbPath_;
};

TEST_F(ScanChecksumsArchives, ReadFilesGetTheirSumsAndOtherArchivesBecomeFolders) {
    ScanOptions options;
    options.checksums = true;
    options.otherArchives = true;
    const Scanned both = scan(options);
    for (const char* archive : {"a.tar", "a.7z", "a.iso"}) {
        EXPECT_TRUE(both.rows.at(archive)) << archive;
        EXPECT_EQ(both.members.at(archive), 2) << archive;
    }
    EXPECT_FALSE(both.rows.at("bad.tar.gz")) << "a damaged archive stays a file";
    EXPECT_EQ(both.inside.at("readme.txt"), "\\docs\\");
    EXPECT_EQ(both.inside.at("top.txt"), "\\");

    const std::map<QString, QString> expected = {
        {"a.txt", "b5e9c1ad071b3e7fc779cfaa5e523818"},
        {"big.bin", "f43376d6c4993879809640dd37982358"},
    };
    for (const auto& [name, sum] : expected)
        EXPECT_EQ(both.sums.at(name), sum) << name.toStdString();
    EXPECT_EQ(both.sums.count("bad.tar.gz"), 1u);
    EXPECT_EQ(both.sums.count("secret.txt"), 0u) << "an unreadable file has no checksum";
    EXPECT_EQ(both.rows.count("secret.txt"), 1u);
    EXPECT_EQ(both.sums.size(), 3u) << "neither archives catalogued as folders nor their members";

    const Scanned neither = scan(ScanOptions());
    EXPECT_FALSE(neither.hasSums);
    for (const char* archive : {"a.tar", "a.7z", "a.iso"})
        EXPECT_FALSE(neither.rows.at(archive)) << archive;
}

} // namespace
