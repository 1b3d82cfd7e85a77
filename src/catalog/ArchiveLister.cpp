#include "catalog/ArchiveLister.h"

#include "platform/MediumFile.h"
#include "shell/Flags.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace mendor {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes handed to libarchive per read: small enough that a decompressing reader comes back
// for more (and so past the time check) often.
constexpr std::size_t kReadBlock = 64 * 1024;

// No medium holds an entry of a pebibyte or archives whose entries add up to 8 PiB; such
// numbers come from a damaged or forged header, and summing them must not overflow.
constexpr std::int64_t kMaxEntrySize = std::int64_t(1) << 50;
constexpr std::int64_t kMaxListedBytes = std::int64_t(1) << 53;

// Entry dates outside the years 1 to 9999 come from damaged headers.
constexpr std::int64_t kEarliestDate = -62135596800;
constexpr std::int64_t kLatestDate = 253402300799;

const char* const kSuffixes[] = {".tar",     ".tgz",      ".taz",    ".tbz",     ".tbz2",
                                 ".txz",     ".tlz",      ".tzst",   ".tar.gz",  ".tar.bz2",
                                 ".tar.xz",  ".tar.lzma", ".tar.lz", ".tar.zst", ".tar.z",
                                 ".tar.lz4", ".7z",       ".rar",    ".iso",     ".cpio"};

using FilterSupport = int (*)(archive*);

// Decompressors that libarchive has built in. Where it lacks one it would run an outside
// program on the medium's data instead (and says so with ARCHIVE_WARN); those are left out.
const std::vector<FilterSupport>& builtInFilters() {
    static const std::vector<FilterSupport> filters = [] {
        std::vector<FilterSupport> found;
        for (const FilterSupport support :
             {archive_read_support_filter_gzip, archive_read_support_filter_bzip2,
              archive_read_support_filter_xz, archive_read_support_filter_lzma,
              archive_read_support_filter_lzip, archive_read_support_filter_zstd,
              archive_read_support_filter_lz4, archive_read_support_filter_compress}) {
            archive* probe = archive_read_new();
            if (probe && support(probe) == ARCHIVE_OK)
                found.push_back(support);
            archive_read_free(probe);
        }
        return found;
    }();
    return filters;
}

/// What libarchive reads from: the open file, the clock and the stop request.
struct Source {
    int fd = -1;
    std::int64_t size = 0;
    Clock::time_point deadline;
    const std::function<bool()>* stop = nullptr;
    bool timedOut = false;
    bool stopped = false;
    std::unique_ptr<char[]> buffer{new char[kReadBlock]};

    /// False, with the reason noted, once the listing is to end.
    bool mayGoOn() {
        if (isAbortRequested() || (stop && *stop && (*stop)()))
            stopped = true;
        else if (Clock::now() > deadline)
            timedOut = true;
        return !stopped && !timedOut;
    }
};

la_ssize_t readBlock(archive* reader, void* data, const void** block) {
    Source& source = *static_cast<Source*>(data);
    if (!source.mayGoOn()) {
        archive_set_error(reader, ECANCELED, "listing ended");
        return -1;
    }
    for (;;) {
        const ssize_t got = ::read(source.fd, source.buffer.get(), kReadBlock);
        if (got >= 0) {
            *block = source.buffer.get();
            return got;
        }
        if (errno != EINTR) {
            archive_set_error(reader, errno, "%s", std::strerror(errno));
            return -1;
        }
    }
}

la_int64_t seekTo(archive*, void* data, la_int64_t offset, int whence) {
    const off_t at = ::lseek(static_cast<Source*>(data)->fd, off_t(offset), whence);
    return at < 0 ? ARCHIVE_FATAL : la_int64_t(at);
}

// Skipping moves the file position, never past the end: libarchive takes the bytes skipped as
// the bytes that were there.
la_int64_t skipAhead(archive*, void* data, la_int64_t request) {
    Source& source = *static_cast<Source*>(data);
    const off_t at = ::lseek(source.fd, 0, SEEK_CUR);
    if (at < 0 || request <= 0)
        return 0;
    const la_int64_t skipped = std::min<la_int64_t>(request, std::max<la_int64_t>(source.size - at, 0));
    return ::lseek(source.fd, off_t(skipped), SEEK_CUR) < 0 ? 0 : skipped;
}

struct ArchiveFree {
    void operator()(archive* reader) const { archive_read_free(reader); }
};

/// The entry's path with "\" between folders and without a leading "./" or "/"; a folder's
/// ends in "\". Names that are not UTF-8 keep what can be read of them.
QString memberPath(archive_entry* entry) {
    const char* utf8 = archive_entry_pathname_utf8(entry);
    QString path = QString::fromUtf8(utf8 ? utf8 : archive_entry_pathname(entry));
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    for (;;) {
        if (path.startsWith(QLatin1String(".\\")))
            path.remove(0, 2);
        else if (path.startsWith(QLatin1Char('\\')))
            path.remove(0, 1);
        else
            break;
    }
    if (archive_entry_filetype(entry) == AE_IFDIR && !path.isEmpty() && !path.endsWith(QLatin1Char('\\')))
        path += QLatin1Char('\\');
    return path;
}

QString libarchiveError(archive* reader) {
    const char* text = archive_error_string(reader);
    return text ? QString::fromUtf8(text) : QStringLiteral("unreadable archive");
}

} // namespace

bool IsOtherArchiveName(QByteArrayView localName) {
    return std::any_of(std::begin(kSuffixes), std::end(kSuffixes), [&](const char* suffix) {
        const qsizetype length = qsizetype(std::strlen(suffix));
        return localName.size() > length &&
               qstrnicmp(localName.data() + localName.size() - length, suffix, length) == 0;
    });
}

bool IsArchiveFolderName(const QString& name) {
    const QString trimmed = name.trimmed();
    return trimmed.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive) ||
           IsOtherArchiveName(trimmed.toUtf8());
}

ArchiveListOutcome ListOtherArchive(int folderFd, const char* name, std::vector<ZipMember>& members,
                                    QString& errorText, const std::function<bool()>& stop,
                                    const ArchiveLimits& limits) {
    members.clear();
    const auto failed = [&](const QString& why) {
        members.clear();
        errorText = why;
        return ArchiveListOutcome::Failed;
    };
    const FileDescriptor file = OpenRegularFileAt(folderFd, name);
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0)
        return failed(QStringLiteral("not a readable file"));

    Source source;
    source.fd = file.get();
    source.size = std::int64_t(info.st_size);
    source.deadline = Clock::now() + limits.timeLimit;
    source.stop = &stop;
    const std::unique_ptr<archive, ArchiveFree> reader(archive_read_new());
    if (!reader)
        return failed(QStringLiteral("out of memory"));
    for (const FilterSupport support : builtInFilters())
        support(reader.get());
    archive_read_support_format_tar(reader.get());
    archive_read_support_format_7zip(reader.get());
    archive_read_support_format_rar(reader.get());
    archive_read_support_format_rar5(reader.get());
    archive_read_support_format_iso9660(reader.get());
    archive_read_support_format_cpio(reader.get());
    archive_read_set_callback_data(reader.get(), &source);
    archive_read_set_read_callback(reader.get(), readBlock);
    archive_read_set_skip_callback(reader.get(), skipAhead);
    archive_read_set_seek_callback(reader.get(), seekTo);

    const auto ended = [&]() {
        if (source.stopped) {
            members.clear();
            return ArchiveListOutcome::Stopped;
        }
        return failed(source.timedOut ? QStringLiteral("listing took too long")
                                      : libarchiveError(reader.get()));
    };
    if (archive_read_open1(reader.get()) != ARCHIVE_OK)
        return ended();

    std::int64_t entries = 0;
    std::int64_t nameBytes = 0;
    std::int64_t listedBytes = 0;
    archive_entry* entry = nullptr;
    for (;;) {
        if (!source.mayGoOn())
            return ended();
        const int read = archive_read_next_header(reader.get(), &entry);
        if (read == ARCHIVE_EOF)
            break;
        if (read < ARCHIVE_WARN)
            return ended();
        if (archive_entry_is_encrypted(entry))
            return failed(QStringLiteral("encrypted archive"));
        if (++entries > limits.maxEntries)
            return failed(QStringLiteral("too many entries"));

        ZipMember member;
        member.path = memberPath(entry);
        nameBytes += member.path.size();
        if (nameBytes > limits.maxNameBytes)
            return failed(QStringLiteral("entry names too long"));
        member.size = archive_entry_size_is_set(entry) ? std::int64_t(archive_entry_size(entry)) : 0;
        if (member.size < 0 || member.size > kMaxEntrySize)
            return failed(QStringLiteral("damaged entry size"));
        listedBytes += member.size;
        if (listedBytes > kMaxListedBytes)
            return failed(QStringLiteral("damaged entry sizes"));
        // An entry without a date of its own takes the archive's.
        member.modified =
            archive_entry_mtime_is_set(entry)
                ? std::clamp<std::int64_t>(archive_entry_mtime(entry), kEarliestDate, kLatestDate)
                : std::int64_t(info.st_mtim.tv_sec);
        if (!member.path.isEmpty())
            members.push_back(std::move(member));
        if (archive_read_data_skip(reader.get()) < ARCHIVE_WARN)
            return ended();
    }
    // Encrypted entries of some formats show only once their data is reached.
    if (archive_read_has_encrypted_entries(reader.get()) > 0)
        return failed(QStringLiteral("encrypted archive"));
    return ArchiveListOutcome::Listed;
}

} // namespace mendor
