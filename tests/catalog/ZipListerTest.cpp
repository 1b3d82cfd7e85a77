#include "catalog/ZipLister.h"

#include "platform/MediumFile.h"
#include "support/TestFiles.h"
#include "support/TestZipArchive.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

using namespace mendor;

namespace {

using test::DateFields;
using test::WriteZipArchive;

// Runs the test body in a time zone far from UTC, so that a stored date taken as UTC instead of
// the entry's own wall-clock fields shows.
class ZipListerInZone : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        if (hadZone_)
            oldZone_ = old;
        setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
        tzset();
    }
    void TearDown() override {
        if (hadZone_)
            setenv("TZ", oldZone_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    /// The test folder, open.
    int folder() {
        if (!folder_.isOpen())
            folder_ =
                FileDescriptor(::open(QFile::encodeName(dir_.path()).constData(), O_RDONLY | O_DIRECTORY));
        return folder_.get();
    }

    QTemporaryDir dir_;

private:
    FileDescriptor folder_;
    bool hadZone_ = false;
    std::string oldZone_;
};

} // namespace

TEST_F(ZipListerInZone, ListsPathsSizesAndWallClockDates) {
    const QString path = dir_.filePath(QStringLiteral("a.zip"));
    std::tm when = DateFields(2003, 7, 5, 6, 7, 8);
    WriteZipArchive(path,
                    {{"docs/", {}},
                     {"docs/readme.txt", QByteArray(1234, 'r')},
                     {"top.txt", "top"},
                     {"deep/er/caf\xC3\xA9.txt", QByteArray(70000, 'z')}},
                    when);
    ZipLister zip;
    ASSERT_TRUE(zip.open(folder(), "a.zip")) << zip.errorText().toStdString();
    ASSERT_EQ(zip.count(), 4);

    std::map<QString, ZipMember> byPath;
    for (std::int64_t i = 0; i < zip.count(); ++i) {
        ZipMember m;
        ASSERT_TRUE(zip.member(i, m));
        byPath[m.path] = m;
    }
    ASSERT_EQ(byPath.size(), 4u);
    EXPECT_TRUE(byPath.count(QStringLiteral("docs\\")));
    EXPECT_EQ(byPath[QStringLiteral("docs\\readme.txt")].size, 1234);
    EXPECT_EQ(byPath[QStringLiteral("top.txt")].size, 3);
    EXPECT_EQ(byPath[QString::fromUtf8("deep\\er\\caf\xC3\xA9.txt")].size, 70000);
    const std::int64_t expected = std::int64_t(timegm(&when)); // 2003-07-05 06:07:08 as stored
    EXPECT_EQ(byPath[QStringLiteral("top.txt")].modified, expected);
    EXPECT_EQ(byPath[QStringLiteral("docs\\readme.txt")].modified, expected);

    ZipMember outOfRange;
    EXPECT_FALSE(zip.member(4, outOfRange));
}

TEST_F(ZipListerInZone, DamagedMissingAndForeignFilesReportAnError) {
    const QString good = dir_.filePath(QStringLiteral("good.zip"));
    WriteZipArchive(good, {{"x.txt", QByteArray(5000, 'x')}}, DateFields(2010, 1, 2, 3, 4, 6));
    const QByteArray bytes = test::ReadBytes(good);
    const auto write = [&](const char* name, const QByteArray& content) {
        test::WriteBytes(dir_.filePath(QString::fromLatin1(name)), content);
        return name;
    };
    QFile::link(good, dir_.filePath(QStringLiteral("link.zip")));
    ZipLister zip;
    for (const char* name :
         {write("zeros.zip", QByteArray(100000, '\0')), write("cut.zip", bytes.left(bytes.size() - 30)),
          write("text.zip", "just some text"), write("empty.zip", QByteArray()), "absent.zip", "link.zip"}) {
        EXPECT_FALSE(zip.open(folder(), name)) << name;
        EXPECT_FALSE(zip.errorText().isEmpty());
        EXPECT_EQ(zip.count(), 0);
    }
    EXPECT_TRUE(zip.open(folder(), "good.zip"));
    EXPECT_EQ(zip.count(), 1);
}

TEST(ZipLister, SplitMemberPath) {
    QString name;
    QString folder;
    SplitMemberPath(QStringLiteral("docs\\sub\\readme.txt"), name, folder);
    EXPECT_EQ(name, QStringLiteral("readme.txt"));
    EXPECT_EQ(folder, QStringLiteral("\\docs\\sub\\"));
    SplitMemberPath(QStringLiteral("top.txt"), name, folder);
    EXPECT_EQ(name, QStringLiteral("top.txt"));
    EXPECT_EQ(folder, QStringLiteral("\\"));
    SplitMemberPath(QStringLiteral("docs\\"), name, folder);
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(folder, QStringLiteral("\\docs\\"));
}
