#include "catalog/ZipLister.h"

#include "platform/MediumFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>
#include <zip.h>

namespace mendor {

namespace {

// libzip turns an entry's DOS date and time (local wall-clock fields) into time_t through
// mktime; localtime_r gives the same fields back, which are stored as they stand, like every
// other date of the catalog. Only a time inside a daylight-saving gap cannot come back exactly.
std::int64_t storedSecondsOf(time_t modified) {
    std::tm fields{};
    if (!localtime_r(&modified, &fields))
        return 0;
    return std::int64_t(timegm(&fields));
}

QString libzipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

ZipLister::~ZipLister() {
    close();
}

bool ZipLister::open(int folderFd, const char* name) {
    close();
    errno = 0;
    FileDescriptor fd = OpenRegularFileAt(folderFd, name);
    if (!fd.isOpen()) {
        errorText_ =
            errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("not a regular file");
        return false;
    }
    int code = 0;
    archive_ = zip_fdopen(fd.get(), 0, &code);
    if (!archive_) {
        errorText_ = libzipErrorText(code);
        return false;
    }
    // The archive owns the descriptor now.
    fd.release();
    const zip_int64_t entries = zip_get_num_entries(archive_, 0);
    if (entries < 0) {
        errorText_ = QString::fromUtf8(zip_strerror(archive_));
        close();
        return false;
    }
    count_ = entries;
    return true;
}

void ZipLister::close() {
    if (archive_)
        zip_discard(archive_);
    archive_ = nullptr;
    count_ = 0;
}

bool ZipLister::member(std::int64_t index, ZipMember& member) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    // The default flags decode names as UTF-8 when the entry says so and as CP437 otherwise.
    if (!archive_ || zip_stat_index(archive_, zip_uint64_t(index), ZIP_FL_ENC_GUESS, &stat) != 0) {
        errorText_ = archive_ ? QString::fromUtf8(zip_strerror(archive_)) : QStringLiteral("no archive");
        return false;
    }
    member.path = (stat.valid & ZIP_STAT_NAME) && stat.name ? QString::fromUtf8(stat.name) : QString();
    member.path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    // A size is what the archive declares, which no one checked: one beyond every signed total
    // is taken as the largest there is, so that no negative size reaches a table.
    const zip_uint64_t declared = (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0;
    member.size = std::int64_t(std::min<zip_uint64_t>(declared, std::numeric_limits<std::int64_t>::max()));
    member.modified = (stat.valid & ZIP_STAT_MTIME) ? storedSecondsOf(stat.mtime) : 0;
    return true;
}

void SplitMemberPath(const QString& path, QString& name, QString& folder) {
    const int last = int(path.lastIndexOf(QLatin1Char('\\')));
    name = path.mid(last + 1);
    folder = QLatin1Char('\\') + path.left(last + 1);
}

} // namespace mendor
