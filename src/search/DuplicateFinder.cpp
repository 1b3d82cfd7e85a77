#include "search/DuplicateFinder.h"

#include "search/ResultReader.h"
#include "search/ScanPipeline.h"
#include "shell/Flags.h"
#include "store/Database.h"
#include "store/JetPattern.h"
#include "store/Schema.h"

#include <algorithm>
#include <atomic>
#include <functional>
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
// IDs at most this far apart are reached by reading on rather than by a new lookup.
constexpr std::int64_t kSeekGap = 16;
constexpr int kMaxThreads = 4;
// Room for a usual line, reserved ahead.
constexpr qsizetype kLineBytes = 192;

int threadCount() {
    return std::clamp(QThread::idealThreadCount(), 1, kMaxThreads);
}

// Runs work for the items 0 to count - 1 on several threads (this one among them), each with its
// own connection, taking the items in turn; false when gAbort was set. An item that raises
// SqlError keeps what it did before.
bool runInParallel(const QString& databasePath, std::size_t count,
                   const std::function<void(std::size_t item, const Database& db)>& work) {
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
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
                work(item, *db);
            } catch (const SqlError&) {
                // A table or range that cannot be read contributes what came before the error.
            }
        }
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threadCount() && std::size_t(t) < count; ++t)
        helpers.emplace_back(worker);
    worker();
    for (std::thread& helper : helpers)
        helper.join();
    return !isAbortRequested();
}

struct KeyRange {
    std::size_t volume = 0;
    std::int64_t firstId = 0;
    std::optional<std::int64_t> endId;
};

struct KeyRow {
    std::int64_t id = 0;
    std::int64_t size = 0;
    std::size_t hash = 0;
    std::size_t keyStart = 0; ///< the folded name in the chunk's keys
    std::size_t keyLength = 0;
    std::size_t group = 0; ///< in the key groups of the row's partition (hash % partitions)
};

// The keys of one range, in ID order.
struct KeyChunk {
    std::vector<KeyRow> rows;
    std::string keys;
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

    KeyGroups() : slots_(1 << 12, kEmpty) {}

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
    Statement rows = db.prepare(
        QStringLiteral("SELECT \"ID\", \"name\", \"size\" FROM %1 WHERE %2\"ID\" >= ?1%3 "
                       "ORDER BY \"ID\"")
            .arg(quoteIdentifier(tableOf(scan, range.volume)),
                 scan.where.isEmpty() ? QString() : QLatin1Char('(') + scan.where + QStringLiteral(") AND "),
                 range.endId ? QStringLiteral(" AND \"ID\" < ?2") : QString()));
    rows.bind(1, range.firstId);
    if (range.endId)
        rows.bind(2, *range.endId);
    while (rows.step()) {
        // A row without a name (or size) equals no other in the stored query.
        if (rows.isNull(1) || (scan.bySize && rows.isNull(2)))
            continue;
        KeyRow row;
        row.id = rows.columnInt(0);
        row.size = scan.bySize ? rows.columnInt(2) : 0;
        const QByteArrayView name = rows.columnUtf8(1);
        const std::string folded = FoldCaseUtf8(name.data(), std::size_t(name.size()));
        row.hash = std::hash<std::string_view>()(folded);
        row.hash ^=
            std::hash<std::int64_t>()(row.size) + 0x9e3779b97f4a7c15 + (row.hash << 6) + (row.hash >> 2);
        row.keyStart = chunk.keys.size();
        row.keyLength = folded.size();
        chunk.keys += folded;
        chunk.rows.push_back(row);
    }
}

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
    DuplicateReading(const DuplicateScan& scan, const std::vector<Wanted>& wanted, FoundDuplicates& found)
        : scan_(scan), wanted_(wanted), found_(found) {
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
    }

    bool run() {
        return runInParallel(scan_.databasePath, portions_.size(),
                             [this](std::size_t item, const Database& db) { read(item, db); });
    }

private:
    void read(std::size_t item, const Database& db) {
        const auto [begin, end] = portions_[item];
        const DuplicateVolume& volume = scan_.volumes[qsizetype(wanted_[begin].volume)];
        FolderMap folders(folderTables_.get(DirsTable(volume.tableName), [&] {
            return FolderMap::loadTable(db, DirsTable(volume.tableName));
        }));
        const QByteArray volumeUtf8 = volume.name.toUtf8();
        QByteArray& lines = found_.chunks_[item];
        if (scan_.asLines)
            lines.reserve(qsizetype(end - begin) * kLineBytes);
        Statement rows = db.prepare(
            QStringLiteral(
                "SELECT \"ID\", \"parent\", \"name\", \"size\", \"description\", \"attrib\", "
                "\"createdate\", \"moddate\", \"lastdate\" FROM %1 WHERE \"ID\" >= ?1 ORDER BY \"ID\"")
                .arg(quoteIdentifier(tableOf(scan_, wanted_[begin].volume))));
        ResultReader reader(rows);
        for (std::size_t k = begin; k < end;) {
            rows.reset();
            rows.bind(1, wanted_[k].id);
            bool more = rows.step();
            while (more && k < end) {
                const std::int64_t id = rows.columnInt(0);
                while (k < end && wanted_[k].id < id)
                    ++k;
                if (k < end && wanted_[k].id == id) {
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
                if (k == end || wanted_[k].id - id > kSeekGap)
                    break;
                more = rows.step();
            }
            if (!more)
                break;
        }
    }

    const DuplicateScan& scan_;
    const std::vector<Wanted>& wanted_;
    FoundDuplicates& found_;
    std::vector<std::pair<std::size_t, std::size_t>> portions_;
    SharedFolderTables folderTables_;
};

std::optional<FoundDuplicates> FindDuplicates(const DuplicateScan& scan) {
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
    std::vector<KeyChunk> chunks(ranges.size());
    if (!runInParallel(scan.databasePath, ranges.size(), [&](std::size_t item, const Database& db) {
            readKeys(scan, ranges[item], db, chunks[item]);
        }))
        return std::nullopt;

    // The keys grouped, each partition of hashes on a thread of its own.
    const std::size_t partitions = std::size_t(threadCount());
    std::vector<KeyGroups> groups(partitions);
    const auto group = [&](std::size_t partition) {
        for (KeyChunk& chunk : chunks) {
            const std::string_view keys(chunk.keys);
            for (KeyRow& row : chunk.rows) {
                if (row.hash % partitions == partition)
                    row.group =
                        groups[partition].add(keys.substr(row.keyStart, row.keyLength), row.size, row.hash);
            }
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t p = 1; p < partitions; ++p)
        helpers.emplace_back(group, p);
    group(0);
    for (std::thread& helper : helpers)
        helper.join();

    // The keys of more than one row in the query's order, and the first place of each.
    std::vector<std::pair<std::size_t, std::size_t>> repeated; // partition and group
    for (std::size_t p = 0; p < partitions; ++p) {
        for (std::size_t g = 0; g < groups[p].groups().size(); ++g) {
            if (groups[p].groups()[g].count > 1)
                repeated.emplace_back(p, g);
        }
    }
    const auto groupOf = [&](const std::pair<std::size_t, std::size_t>& at) -> const KeyGroups::Group& {
        return groups[at.first].groups()[at.second];
    };
    std::sort(repeated.begin(), repeated.end(), [&](const auto& a, const auto& b) {
        const KeyGroups::Group& first = groupOf(a);
        const KeyGroups::Group& second = groupOf(b);
        const int order = first.key.compare(second.key);
        return order != 0 ? order < 0 : first.size < second.size;
    });
    constexpr std::size_t kSingle = std::size_t(-1);
    std::vector<std::vector<std::size_t>> nextPlace(partitions);
    for (std::size_t p = 0; p < partitions; ++p)
        nextPlace[p].assign(groups[p].groups().size(), kSingle);
    std::size_t place = 0;
    for (const auto& at : repeated) {
        nextPlace[at.first][at.second] = place;
        place += groupOf(at).count;
    }

    // Rows of one key keep the order in which they were read.
    std::vector<Wanted> wanted;
    wanted.reserve(place);
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        for (const KeyRow& row : chunks[c].rows) {
            std::size_t& next = nextPlace[row.hash % partitions][row.group];
            if (next != kSingle)
                wanted.push_back({ranges[c].volume, row.id, next++});
        }
    }
    chunks = {};
    groups = {};

    FoundDuplicates found;
    DuplicateReading reading(scan, wanted, found);
    if (!reading.run())
        return std::nullopt;
    return found;
}

} // namespace mendor
