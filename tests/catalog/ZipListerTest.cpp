#include "catalog/ZipLister.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <zip.h>

using namespace mendor;

namespace {

struct Member {
    const char* path; ///< with "/" as libzip writes it; a trailing "/" makes a folder entry
    QByteArray content;
};

// Entry times are written from local wall-clock fields, as archivers on Windows do.
void writeArchive(const QString& path, const std::vector<Member>& members, std::tm wallClock) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    wallClock.tm_isdst = -1;
    const time_t when = mktime(&wallClock);
    for (const Member& m : members) {
        zip_int64_t index;
        if (QByteArray(m.path).endsWith('/')) {
            index = zip_dir_add(archive, m.path, ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t* source =
                zip_source_buffer(archive, m.content.constData(), zip_uint64_t(m.content.size()), 0);
            index = zip_file_add(archive, m.path, source, ZIP_FL_ENC_UTF_8);
        }
        ASSERT_GE(index, 0) << m.path;
        zip_file_set_mtime(archive, zip_uint64_t(index), when, 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

std::tm fields(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

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

    QTemporaryDir dir_;

private:
    bool hadZone_ = false;
    std::string oldZone_;
};

} // namespace

TEST_F(ZipListerInZone, ListsPathsSizesAndWallClockDates) {
    const QString path = dir_.filePath(QStringLiteral("a.zip"));
    std::tm when = fields(2003, 7, 5, 6, 7, 8);
    writeArchive(path,
                 {{"docs/", {}},
                  {"docs/readme.txt", QByteArray(1234, 'r')},
                  {"top.txt", "top"},
                  {"deep/er/caf\xC3\xA9.txt", QByteArray(70000, 'z')}},
                 when);
    ZipLister zip;
    ASSERT_TRUE(zip.open(QFile::encodeName(path))) << zip.errorText().toStdString();
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
    writeArchive(good, {{"x.txt", QByteArray(5000, 'x')}}, fields(2010, 1, 2, 3, 4, 6));
    QFile original(good);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();

    const auto write = [&](const char* name, const QByteArray& content) {
        QFile f(dir_.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return QFile::encodeName(f.fileName());
    };
    ZipLister zip;
    for (const QByteArray& path :
         {write("zeros.zip", QByteArray(100000, '\0')), write("cut.zip", bytes.left(bytes.size() - 30)),
          write("text.zip", "just some text"), write("empty.zip", QByteArray()),
          QFile::encodeName(dir_.filePath(QStringLiteral("absent.zip")))}) {
        EXPECT_FALSE(zip.open(path)) << path.constData();
        EXPECT_FALSE(zip.errorText().isEmpty());
        EXPECT_EQ(zip.count(), 0);
    }
    EXPECT_TRUE(zip.open(QFile::encodeName(good)));
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
