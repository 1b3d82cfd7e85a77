// Checksum benchmark: reads every regular file below a folder with the catalog's ChecksumReader
// on one thread and prints the time, the bytes and the rate, so that checksum-bench.sh can set
// them against xxh128sum over the same files.
//
// usage: checksum-bench FOLDER
#include "catalog/FileChecksum.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using namespace mendor;

namespace {

struct Totals {
    std::uint64_t files = 0;
    std::uint64_t unreadable = 0;
};

void walk(int folderFd, ChecksumReader& reader, Totals& totals) {
    DIR* dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (entry->d_type == DT_DIR) {
            const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                walk(child, reader, totals);
        } else if (entry->d_type == DT_REG) {
            Checksum checksum{};
            if (reader.checksumOf(::dirfd(dir), name, checksum) == ChecksumOutcome::Computed)
                ++totals.files;
            else
                ++totals.unreadable;
        }
    }
    ::closedir(dir);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: checksum-bench FOLDER\n");
        return 2;
    }
    const int root = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::atomic<std::uint64_t> bytes = 0;
    ChecksumReader reader(&bytes);
    Totals totals;
    const auto start = std::chrono::steady_clock::now();
    walk(root, reader, totals);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %llu %llu %llu %.1f\n", seconds, static_cast<unsigned long long>(totals.files),
                static_cast<unsigned long long>(totals.unreadable),
                static_cast<unsigned long long>(bytes.load()), double(bytes.load()) / 1e6 / seconds);
    return 0;
}
