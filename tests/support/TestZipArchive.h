#pragma once
// Writes small zip archives for the scanner and archive-lister tests. Header-only: only the
// catalog tests link libzip.
#include <ctime>
#include <gtest/gtest.h>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>
#include <zip.h>

namespace mendor::test {

struct ZipEntry {
    const char* path; ///< with "/" as libzip writes it; a trailing "/" makes a folder entry
    QByteArray content;
};

/// Calendar fields of a date (no time zone attached).
inline std::tm DateFields(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

/// Entry times are written from local wall-clock fields, as archivers on Windows do.
inline void WriteZipArchive(const QString& path, const std::vector<ZipEntry>& entries, std::tm wallClock) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    wallClock.tm_isdst = -1;
    const time_t when = mktime(&wallClock);
    for (const ZipEntry& e : entries) {
        const zip_int64_t index = QByteArray(e.path).endsWith('/')
                                      ? zip_dir_add(archive, e.path, ZIP_FL_ENC_UTF_8)
                                      : zip_file_add(archive, e.path,
                                                     zip_source_buffer(archive, e.content.constData(),
                                                                       zip_uint64_t(e.content.size()), 0),
                                                     ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << e.path;
        zip_file_set_mtime(archive, zip_uint64_t(index), when, 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

} // namespace mendor::test
