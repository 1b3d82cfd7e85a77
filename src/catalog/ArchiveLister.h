#pragma once
// The entries of archives other than ZIP: tar (plain or compressed with gzip, bzip2, xz, lzma,
// lzip, zstd, lz4 or compress), 7z, rar, ISO 9660 images and cpio, read through libarchive from
// their headers alone. Entry data is skipped, never extracted; a compressed tar must still be
// decompressed to find its next header, so every listing has a time limit. The archive comes
// from a medium and is hostile: it is opened relative to its folder, the entry count and the
// names' total length are bounded, and sizes that cannot be true end the listing. A damaged,
// encrypted, oversized or too slow archive is no archive: the caller records a plain file.
//
// Entries come in the shape of the ZIP lister's members (path with "\" between folders, size,
// date), so that the scanner stores both alike. A folder entry's path ends in "\".
#include "catalog/ZipLister.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <QByteArray>
#include <QString>
#include <vector>

namespace mendor {

/// True when the name ends in the suffix of an archive this lister reads (".tar", ".tar.gz",
/// ".tgz", ".7z", ".rar", ".iso", ".cpio" and the like), in any letter case. ".zip" is not one.
bool IsOtherArchiveName(QByteArrayView localName);

/// The one rule by which every list, search, export and copy tells an archive catalogued as a
/// folder from a real folder: a folder row whose trimmed name ends in ".zip" or in the suffix
/// of another archive this lister reads, in any letter case.
bool IsArchiveFolderName(const QString& name);

struct ArchiveLimits {
    std::chrono::milliseconds timeLimit{10'000};
    std::int64_t maxEntries = 1'000'000;
    std::int64_t maxNameBytes = 64 * 1024 * 1024; ///< all entry paths together
};

enum class ArchiveListOutcome : std::uint8_t {
    Listed,
    Failed,  ///< not a readable archive (errorText says why): a plain file
    Stopped, ///< the stop request or gAbort was seen
};

/// Lists the archive name (its raw bytes, as the folder's listing gave them) of the folder open
/// as folderFd into members (replacing what they held). stop (optional) is asked now and then.
ArchiveListOutcome ListOtherArchive(int folderFd, const char* name, std::vector<ZipMember>& members,
                                    QString& errorText, const std::function<bool()>& stop = {},
                                    const ArchiveLimits& limits = {});

} // namespace mendor
