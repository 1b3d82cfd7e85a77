#include "search/DuplicateFinder.h"

#include "search/ResultReader.h"
#include "search/ScanPipeline.h"
#include "shell/Flags.h"
#include "store/Database.h"
#include "store/JetFunctions.h"
#include "store/JetPattern.h"
#include "store/Schema.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <functional>
#include <map>
#include <QThread>
#include <string>
#include <string_view>
#include <thread>

namespace mendor {

namespace {

// IDs per range of the first reading: a table of a million rows is read as some fifteen ranges.
constexpr std::int64_t kRangeIds = 65536;
// Duplicates per portion of the second reading.
constexpr std::size_t kRowsPerPortion = 16384;
// Wanted IDs at most this far apart are read by one lookup, which passes over the rows between
// by their bits; farther ones by a lookup of their own.
constexpr std::uint64_t kSeekGap = 64;
constexpr int kMaxThreads = 4;
// Rows between the one grouped or placed and the one whose memory is asked for ahead.
constexpr std::size_t kPrefetchRows = 16;
// Room for a usual key, reserved ahead.
constexpr std::size_t kKeyBytes = 24;
// Room for a usual line, reserved ahead.
constexpr qsizetype kLineBytes = 192;

int threadCount() {
    return std::clamp(QThread::idealThreadCount(), 1, kMaxThreads);
}

// Runs work for the items 0 to count - 1 on several threads (this one among them), each with its
// own connection and number (from 0, below threadCount()), taking the items in turn; false when
// gAbort was set. An item that raises SqlError keeps what it did before.
bool runInParallel(const QString& databasePath, std::size_t count,
                   const std::function<void(std::size_t item, const Database& db, int worker)>& work) {
    std::atomic<std::size_t> next{0};
    const auto worker = [&](int number) {
        std::optional<Database> db;
        try {
            db.emplace(Database::openReadOnly(databasePath));
            db->preferMappedReads();
        } catch (const SqlError&) {
            // The other threads, or none, read the items.
            return;
        }
        for (std::size_t item = next++; item < count && !isAbortRequested(); item = next++) {
            try {
                work(item, *db, number);
            } catch (const SqlError&) {
                // A table or range that cannot be read contributes what came before the error.
            }
        }
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threadCount() && std::size_t(t) < count; ++t)
        helpers.emplace_back(worker, t);
    worker(0);
    for (std::thread& helper : helpers)
        helper.join();
    return !isAbortRequested();
}

struct KeyRange {
    std::size_t volume = 0;
    std::int64_t firstId = 0;
    std::optional<std::int64_t> endId;
};

// The partition of a key's hash among count: from the hash's upper half, scaled rather than
// divided (the hash tables take the lower bits), as this is asked several times for every row.
std::size_t partitionOf(std::size_t hash, std::size_t count) {
    return std::size_t((std::uint64_t(hash) >> 32) * count >> 32);
}

// The keys of one range, in ID order, a field at a time: a million rows are read and grouped,
// and each pass over them reads only the fields it needs.
struct KeyChunk {
    std::vector<std::int64_t> ids;
    std::vector<std::size_t> hashes;
    std::vector<std::size_t> keyEnds; ///< where each row's folded name ends in keys (the next begins)
    std::vector<std::int64_t> sizes;  ///< empty unless the size is part of the key
    std::vector<std::size_t> groups;  ///< in the key groups of the row's partition (partitionOf its hash)
    std::string keys;

    std::size_t rows() const { return ids.size(); }
    std::string_view key(std::size_t row) const {
        const std::size_t start = row == 0 ? 0 : keyEnds[row - 1];
        return std::string_view(keys).substr(start, keyEnds[row] - start);
    }
    std::int64_t size(std::size_t row) const { return sizes.empty() ? 0 : sizes[row]; }
};

// The distinct keys of one partition, each with its number of rows, in an open-addressing hash
// table; the keys themselves stay in the chunks.
class KeyGroups {
public:
    struct Group {
        std::size_t hash;
        std::string_view key;
        std::int64_t size;
        std::size_t count;
    };

    /// Room for the keys of about expected rows: the table grows, placing every key anew, only
    /// once more than half of those rows turn out to have keys of their own.
    explicit KeyGroups(std::size_t expected)
        : slots_(std::bit_ceil(std::max<std::size_t>(expected, 1 << 12)), kEmpty) {
        groups_.reserve(expected);
    }

    std::size_t add(std::string_view key, std::int64_t size, std::size_t hash) {
        std::size_t slot = hash & (slots_.size() - 1);
        for (; slots_[slot] != kEmpty; slot = (slot + 1) & (slots_.size() - 1)) {
            Group& group = groups_[slots_[slot]];
            if (group.hash == hash && group.size == size && group.key == key) {
                ++group.count;
                return slots_[slot];
            }
        }
        slots_[slot] = groups_.size();
        groups_.push_back({hash, key, size, 1});
        if (groups_.size() * 2 > slots_.size())
            rehash();
        return groups_.size() - 1;
    }

    const std::vector<Group>& groups() const { return groups_; }
    /// Asks for the memory where a key of this hash is looked for, ahead of add.
    void prefetch(std::size_t hash) const { __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]); }

private:
    static constexpr std::size_t kEmpty = std::size_t(-1);

    void rehash() {
        slots_.assign(slots_.size() * 2, kEmpty);
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            std::size_t slot = groups_[g].hash & (slots_.size() - 1);
            while (slots_[slot] != kEmpty)
                slot = (slot + 1) & (slots_.size() - 1);
            slots_[slot] = g;
        }
    }

    std::vector<Group> groups_;
    std::vector<std::size_t> slots_;
};

QString tableOf(const DuplicateScan& scan, std::size_t volume) {
    const QString& tableName = scan.volumes[qsizetype(volume)].tableName;
    return scan.folders ? DirsTable(tableName) : FilesTable(tableName);
}

void readKeys(const DuplicateScan& scan, const KeyRange& range, const Database& db, KeyChunk& chunk) {
    // The size is read only when it is part of the key.
    Statement rows = db.prepare(
        QStringLiteral("SELECT \"ID\", \"name\"%1 FROM %2 WHERE %3\"ID\" >= ?1%4 ORDER BY \"ID\"")
            .arg(scan.bySize ? QStringLiteral(", \"size\"") : QString(),
                 quoteIdentifier(tableOf(scan, range.volume)),
                 scan.where.isEmpty() ? QString() : QLatin1Char('(') + scan.where + QStringLiteral(") AND "),
                 range.endId ? QStringLiteral(" AND \"ID\" < ?2") : QString()));
    rows.bind(1, range.firstId);
    if (range.endId)
        rows.bind(2, *range.endId);
    const std::size_t expected =
        std::size_t(std::clamp<std::int64_t>(scan.volumes[qsizetype(range.volume)].rows, 0, kRangeIds));
    chunk.ids.reserve(expected);
    chunk.hashes.reserve(expected);
    chunk.keyEnds.reserve(expected);
    if (scan.bySize)
        chunk.sizes.reserve(expected);
    chunk.keys.reserve(expected * kKeyBytes);
    while (rows.step()) {
        // A row without a name (or size) equals no other in the stored query.
        const QByteArrayView name = rows.columnUtf8(1);
        if (name.isNull() || (scan.bySize && rows.isNull(2)))
            continue;
        const std::size_t keyStart = chunk.keys.size();
        AppendFoldedUtf8(chunk.keys, name.data(), std::size_t(name.size()));
        std::size_t hash = std::hash<std::string_view>()(std::string_view(chunk.keys).substr(keyStart));
        if (scan.bySize) {
            const std::int64_t size = rows.columnInt(2);
            hash ^= std::hash<std::int64_t>()(size) + 0x9e3779b97f4a7c15 + (hash << 6) + (hash >> 2);
            chunk.sizes.push_back(size);
        }
        chunk.ids.push_back(rows.columnInt(0));
        chunk.hashes.push_back(hash);
        chunk.keyEnds.push_back(chunk.keys.size());
    }
}

// The first bytes of a key as a number that orders as the bytes do.
std::uint64_t keyPrefix(std::string_view key) {
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < sizeof prefix; ++i)
        prefix = prefix << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0);
    return prefix;
}

// A key of more than one row, in the query's order: by folded name, then by size.
struct RepeatedKey {
    std::uint64_t prefix;
    const KeyGroups::Group* group;
    std::size_t index; ///< of the group in its partition

    bool operator<(const RepeatedKey& other) const {
        if (prefix != other.prefix)
            return prefix < other.prefix;
        const int order = group->key.compare(other.group->key);
        return order != 0 ? order < 0 : group->size < other.group->size;
    }
};

// A duplicate row to read, with its place in the output.
struct Wanted {
    std::size_t volume = 0;
    std::int64_t id = 0;
    std::size_t place = 0;
};

} // namespace

// The second reading: the full rows of the duplicates into their places.
class DuplicateReading {
public:
    DuplicateReading(const DuplicateScan& scan, const std::vector<Wanted>& wanted, FoundDuplicates& found,
                     SharedFolderTables& folderTables)
        : scan_(scan), wanted_(wanted), found_(found), folderTables_(folderTables) {
        found_.present_.assign(wanted.size(), 0);
        if (scan.asLines)
            found_.spans_.resize(wanted.size());
        else
            found_.rows_.resize(wanted.size());
        // Portions of one volume each.
        for (std::size_t begin = 0; begin < wanted.size();) {
            std::size_t end = begin + 1;
            while (end < wanted.size() && end - begin < kRowsPerPortion &&
                   wanted[end].volume == wanted[begin].volume)
                ++end;
            portions_.push_back({begin, end});
            begin = end;
        }
        found_.chunks_.resize(portions_.size());
        workers_.resize(std::size_t(threadCount()));
    }

    bool run() {
        return runInParallel(scan_.databasePath, portions_.size(),
                             [this](std::size_t item, const Database& db, int worker) {
                                 read(item, db, workers_[std::size_t(worker)]);
                             });
    }

private:
    // What a thread keeps from portion to portion: the paths it has built and the type names.
    struct Worker {
        std::map<std::size_t, FolderMap> folders; ///< by volume
        std::optional<ResultReader> reader;
    };

    void read(std::size_t item, const Database& db, Worker& worker) {
        const auto [begin, end] = portions_[item];
        const std::size_t volumeIndex = wanted_[begin].volume;
        const DuplicateVolume& volume = scan_.volumes[qsizetype(volumeIndex)];
        auto known = worker.folders.find(volumeIndex);
        if (known == worker.folders.end()) {
            const QString dirs = DirsTable(volume.tableName);
            known = worker.folders
                        .emplace(volumeIndex, FolderMap(folderTables_.get(
                                                  dirs, [&] { return FolderMap::loadTable(db, dirs); })))
                        .first;
        }
        FolderMap& folders = known->second;
        const QByteArray volumeUtf8 = volume.name.toUtf8();
        QByteArray& lines = found_.chunks_[item];
        if (scan_.asLines)
            lines.reserve(qsizetype(end - begin) * kLineBytes);
        // A run of wanted IDs close together is read by one lookup; the rows between them are
        // passed over by their bits, without reading their columns.
        Statement rows = db.prepare(
            QStringLiteral("SELECT \"ID\", \"parent\", \"name\", \"size\", \"description\", \"attrib\", "
                           "\"createdate\", \"moddate\", \"lastdate\" FROM %1 WHERE \"ID\" >= ?1 AND "
                           "\"ID\" <= ?2 AND %2(?3, \"ID\" - ?1) ORDER BY \"ID\"")
                .arg(quoteIdentifier(tableOf(scan_, wanted_[begin].volume)), QLatin1String(kBitAtFunction)));
        // The statements of every portion have the same columns.
        if (!worker.reader)
            worker.reader.emplace(rows);
        ResultReader& reader = *worker.reader;
        for (std::size_t k = begin; k < end;) {
            std::size_t runEnd = k + 1;
            // Unsigned: IDs far apart must not overflow the difference.
            while (runEnd < end &&
                   std::uint64_t(wanted_[runEnd].id) - std::uint64_t(wanted_[runEnd - 1].id) <= kSeekGap)
                ++runEnd;
            // A run spans at most kRowsPerPortion * kSeekGap IDs: no difference here overflows.
            const std::int64_t first = wanted_[k].id;
            const std::int64_t last = wanted_[runEnd - 1].id;
            QByteArray bits(qsizetype((last - first) / 8 + 1), '\0');
            for (std::size_t w = k; w < runEnd; ++w) {
                const qsizetype bit = qsizetype(wanted_[w].id - first);
                bits[bit / 8] = char(bits[bit / 8] | (1 << (bit % 8)));
            }
            rows.reset();
            rows.bind(1, first);
            rows.bind(2, last);
            rows.bindBlob(3, bits);
            while (k < runEnd && rows.step()) {
                const std::int64_t id = rows.columnInt(0);
                // A row that went away leaves its place empty.
                while (k < runEnd && wanted_[k].id < id)
                    ++k;
                if (k == runEnd || wanted_[k].id != id)
                    continue;
                const std::size_t place = wanted_[k++].place;
                if (scan_.asLines) {
                    const qsizetype start = lines.size();
                    reader.appendLine(lines, rows, scan_.folders, folders.pathUtf8(reader.parent(rows)),
                                      volumeUtf8);
                    found_.spans_[place] = {item, start, lines.size() - start};
                } else {
                    ResultRow& row = found_.rows_[place];
                    row = reader.read(rows, scan_.folders);
                    row.location = folders.path(reader.parent(rows));
                    row.volume = volume.name;
                }
                found_.present_[place] = 1;
            }
            k = runEnd;
        }
    }

    const DuplicateScan& scan_;
    const std::vector<Wanted>& wanted_;
    FoundDuplicates& found_;
    std::vector<std::pair<std::size_t, std::size_t>> portions_;
    SharedFolderTables& folderTables_;
    std::vector<Worker> workers_;
};

void FoundDuplicates::gatherLines(std::size_t from, std::size_t to, QByteArray& out) const {
    to = std::min(to, places());
    qsizetype bytes = 0;
    for (std::size_t place = from; place < to; ++place)
        bytes += present(place) ? spans_[place].length : 0;
    // The buffer keeps its memory from one block to the next.
    out.resize(bytes);
    char* at = out.data();
    for (std::size_t place = from; place < to; ++place) {
        if (present(place)) {
            std::memcpy(at, line(place).data(), std::size_t(spans_[place].length));
            at += spans_[place].length;
        }
    }
}

std::optional<FoundDuplicates> FindDuplicates(const DuplicateScan& scan, SharedFolderTables& folderTables) {
    // The first reading: every key, range by range.
    std::vector<KeyRange> ranges;
    for (qsizetype v = 0; v < scan.volumes.size(); ++v) {
        const std::int64_t count = std::clamp<std::int64_t>(scan.volumes[v].rows / kRangeIds + 1, 1, 1 << 20);
        for (std::int64_t k = 0; k < count; ++k) {
            KeyRange range{std::size_t(v), k == 0 ? std::numeric_limits<std::int64_t>::min() : k * kRangeIds,
                           std::nullopt};
            if (k + 1 < count)
                range.endId = (k + 1) * kRangeIds;
            ranges.push_back(range);
        }
    }
    // The folders of the large volumes are read alongside the keys: the second reading would
    // otherwise wait for them, its other threads idle.
    std::vector<QString> folderTablesAhead;
    for (const DuplicateVolume& volume : scan.volumes) {
        if (volume.rows >= kRangeIds)
            folderTablesAhead.push_back(DirsTable(volume.tableName));
    }
    std::vector<KeyChunk> chunks(ranges.size());
    if (!runInParallel(scan.databasePath, folderTablesAhead.size() + ranges.size(),
                       [&](std::size_t item, const Database& db, int) {
                           if (item < folderTablesAhead.size()) {
                               const QString& dirs = folderTablesAhead[item];
                               folderTables.get(dirs, [&] { return FolderMap::loadTable(db, dirs); });
                               return;
                           }
                           item -= folderTablesAhead.size();
                           readKeys(scan, ranges[item], db, chunks[item]);
                       }))
        return std::nullopt;

    // The keys grouped, each partition of hashes on a thread of its own, which also puts the
    // partition's keys of more than one row in the query's order (folded name, then size). Keys
    // are compared by their first bytes first, kept beside them: the keys themselves lie all over
    // the chunks.
    const std::size_t partitions = std::size_t(threadCount());
    std::size_t rows = 0;
    for (KeyChunk& chunk : chunks) {
        rows += chunk.rows();
        chunk.groups.resize(chunk.rows());
    }
    std::vector<KeyGroups> groups;
    for (std::size_t p = 0; p < partitions; ++p)
        groups.emplace_back(rows / partitions);
    std::vector<std::vector<RepeatedKey>> repeated(partitions);
    const auto group = [&](std::size_t partition) {
        for (KeyChunk& chunk : chunks) {
            const std::vector<std::size_t>& hashes = chunk.hashes;
            for (std::size_t r = 0; r < hashes.size(); ++r) {
                // The table is far larger than the caches: its slot for a later row is asked for now.
                if (r + kPrefetchRows < hashes.size() &&
                    partitionOf(hashes[r + kPrefetchRows], partitions) == partition)
                    groups[partition].prefetch(hashes[r + kPrefetchRows]);
                if (partitionOf(hashes[r], partitions) == partition)
                    chunk.groups[r] = groups[partition].add(chunk.key(r), chunk.size(r), hashes[r]);
            }
        }
        const std::vector<KeyGroups::Group>& all = groups[partition].groups();
        for (std::size_t g = 0; g < all.size(); ++g) {
            if (all[g].count > 1)
                repeated[partition].push_back({keyPrefix(all[g].key), &all[g], g});
        }
        std::sort(repeated[partition].begin(), repeated[partition].end());
    };
    std::vector<std::thread> helpers;
    for (std::size_t p = 1; p < partitions; ++p)
        helpers.emplace_back(group, p);
    group(0);
    for (std::thread& helper : helpers)
        helper.join();

    // The partitions merged (a key lies in one partition only), and the first place of each key.
    constexpr std::size_t kSingle = std::size_t(-1);
    std::vector<std::vector<std::size_t>> nextPlace(partitions);
    for (std::size_t p = 0; p < partitions; ++p)
        nextPlace[p].assign(groups[p].groups().size(), kSingle);
    std::vector<std::size_t> merged(partitions, 0);
    std::size_t place = 0;
    while (true) {
        const RepeatedKey* least = nullptr;
        std::size_t leastPartition = 0;
        for (std::size_t p = 0; p < partitions; ++p) {
            if (merged[p] < repeated[p].size() && (!least || repeated[p][merged[p]] < *least)) {
                least = &repeated[p][merged[p]];
                leastPartition = p;
            }
        }
        if (!least)
            break;
        nextPlace[leastPartition][least->index] = place;
        place += least->group->count;
        ++merged[leastPartition];
    }

    // Rows of one key keep the order in which they were read.
    std::vector<Wanted> wanted;
    wanted.reserve(place);
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        const KeyChunk& chunk = chunks[c];
        for (std::size_t r = 0; r < chunk.rows(); ++r) {
            if (r + kPrefetchRows < chunk.rows())
                __builtin_prefetch(&nextPlace[partitionOf(chunk.hashes[r + kPrefetchRows], partitions)]
                                             [chunk.groups[r + kPrefetchRows]]);
            std::size_t& next = nextPlace[partitionOf(chunk.hashes[r], partitions)][chunk.groups[r]];
            if (next != kSingle)
                wanted.push_back({ranges[c].volume, chunk.ids[r], next++});
        }
    }
    chunks = {};
    groups = {};

    FoundDuplicates found;
    DuplicateReading reading(scan, wanted, found, folderTables);
    if (!reading.run())
        return std::nullopt;
    return found;
}

} // namespace mendor
