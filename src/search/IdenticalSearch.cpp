#include "search/IdenticalSearch.h"

#include "search/FolderPaths.h"
#include "search/ResultReader.h"
#include "shell/Flags.h"
#include "shell/Saturating.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace mendor {

namespace {

// One chosen volume that has checksums.
struct SumsVolume {
    QString databaseFile;
    QString volumeName;
    QString tableName;
};

// One checksummed file as the first pass reads it.
struct SumEntry {
    Checksum checksum;
    std::int64_t size;
    std::int64_t id;
    std::uint32_t volume; ///< index into the volumes
    std::uint32_t row;    ///< index into the rows read in the second pass, or kNoRow
};

constexpr std::uint32_t kNoRow = std::numeric_limits<std::uint32_t>::max();

// Largest size first, equal files together, then the volumes in their chosen order and by ID.
bool groupOrder(const SumEntry& a, const SumEntry& b) {
    if (a.size != b.size)
        return a.size > b.size;
    if (const int c = std::memcmp(a.checksum.data(), b.checksum.data(), a.checksum.size()))
        return c < 0;
    if (a.volume != b.volume)
        return a.volume < b.volume;
    return a.id < b.id;
}

bool sameContent(const SumEntry& a, const SumEntry& b) {
    return a.size == b.size && a.checksum == b.checksum;
}

std::int64_t saturatingProduct(std::int64_t a, std::int64_t b) {
    std::int64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<std::int64_t>::max() : product;
}

// The connections, opened read-only once each.
class Connections {
public:
    explicit Connections(QString dataPath) : dataPath_(std::move(dataPath)) {}

    const Database& get(const QString& databaseFile) {
        auto found = databases_.find(databaseFile);
        if (found == databases_.end()) {
            auto db = std::make_unique<Database>(
                Database::openReadOnly(dataPath_ + QLatin1Char('/') + databaseFile));
            db->preferMappedReads();
            // One read transaction for the whole search: every lookup sees the same rows, and
            // none of them takes and drops the file's lock again.
            db->exec(QStringLiteral("BEGIN"));
            found = databases_.emplace(databaseFile, std::move(db)).first;
        }
        return *found->second;
    }

private:
    QString dataPath_;
    std::map<QString, std::unique_ptr<Database>> databases_;
};

// The table name of each chosen volume that has checksums, in the chosen order. Of two index rows
// with the same name, the first is the volume.
std::vector<SumsVolume> sumsVolumes(const QList<SearchTarget>& targets, Connections& connections) {
    std::map<QString, std::map<QString, QString>> tableNames; // database, volume name, t
    std::vector<SumsVolume> volumes;
    for (const SearchTarget& target : targets) {
        try {
            const Database& db = connections.get(target.databaseFile);
            auto names = tableNames.find(target.databaseFile);
            if (names == tableNames.end()) {
                std::map<QString, QString> byName;
                Statement rows = db.prepare(
                    QStringLiteral("SELECT \"name\", \"tablename\" FROM \"index\" ORDER BY rowid"));
                while (rows.step())
                    byName.emplace(rows.columnText(0), rows.columnText(1));
                names = tableNames.emplace(target.databaseFile, std::move(byName)).first;
            }
            const auto t = names->second.find(target.volumeName);
            if (t != names->second.end() && HasSumsTable(db, t->second))
                volumes.push_back({target.databaseFile, target.volumeName, t->second});
        } catch (const SqlError&) {
            // A database that cannot be read has no volumes to offer.
        }
    }
    return volumes;
}

// Adds the checksum, size and ID of every checksummed file of the volume; false when aborted.
// A stored value that is no checksum is passed over.
bool readSums(const Database& db, const SumsVolume& volume, std::uint32_t index,
              std::vector<SumEntry>& entries) {
    Statement rows = db.prepare(
        QStringLiteral(
            "SELECT s.\"ID\", s.\"checksum\", f.\"size\" FROM %1 AS s JOIN %2 AS f ON f.\"ID\" = s.\"ID\"")
            .arg(quoteIdentifier(SumsTable(volume.tableName)),
                 quoteIdentifier(FilesTable(volume.tableName))));
    while (rows.step()) {
        if (isAbortRequested())
            return false;
        const QByteArrayView bytes = rows.columnBlobView(1);
        if (bytes.size() != qsizetype(sizeof(Checksum)))
            continue;
        SumEntry entry{{}, rows.columnInt(2), rows.columnInt(0), index, kNoRow};
        std::memcpy(entry.checksum.data(), bytes.data(), entry.checksum.size());
        entries.push_back(entry);
    }
    return true;
}

// The files that have a twin, in group order. Most files have none: a table with a slot for
// each content, found by a part of the checksum, tells them apart in one pass over the entries.
std::vector<SumEntry> twins(const std::vector<SumEntry>& entries) {
    std::size_t slotCount = 1024;
    while (slotCount < 2 * entries.size())
        slotCount *= 2;
    std::vector<std::uint32_t> table(slotCount, kNoRow); // the first entry of each content
    std::vector<bool> twin(entries.size());
    for (std::size_t k = 0; k < entries.size(); ++k) {
        std::uint64_t key = 0;
        std::memcpy(&key, entries[k].checksum.data(), sizeof key);
        std::size_t slot = (key ^ std::uint64_t(entries[k].size)) & (slotCount - 1);
        while (table[slot] != kNoRow && !sameContent(entries[table[slot]], entries[k]))
            slot = (slot + 1) & (slotCount - 1);
        if (table[slot] == kNoRow) {
            table[slot] = std::uint32_t(k);
        } else {
            twin[table[slot]] = true;
            twin[k] = true;
        }
    }
    std::vector<SumEntry> found;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (twin[k])
            found.push_back(entries[k]);
    }
    std::sort(found.begin(), found.end(), groupOrder);
    return found;
}

// IDs at most this far apart are reached by reading on rather than by a new lookup.
constexpr std::int64_t kSeekGap = 16;

// Reads the rows of the twins, volume by volume, in ID order; false when aborted. A file whose
// row has gone since the first pass stays without one.
bool readRows(std::vector<SumEntry>& twins, const std::vector<SumsVolume>& volumes, Connections& connections,
              std::vector<ResultRow>& rows, IdenticalObserver& observer) {
    std::vector<std::vector<SumEntry*>> wanted(volumes.size());
    for (SumEntry& entry : twins)
        wanted[entry.volume].push_back(&entry);
    rows.reserve(twins.size());
    for (std::size_t v = 0; v < volumes.size(); ++v) {
        std::vector<SumEntry*>& ids = wanted[v];
        if (ids.empty())
            continue;
        observer.status(QStringLiteral("  Reading identical files of %1  ").arg(volumes[v].volumeName));
        std::sort(ids.begin(), ids.end(), [](const SumEntry* a, const SumEntry* b) { return a->id < b->id; });
        try {
            const Database& db = connections.get(volumes[v].databaseFile);
            FolderMap folders;
            try {
                folders = FolderMap::load(db, DirsTable(volumes[v].tableName));
            } catch (const SqlError&) {
                // Without its folders a volume's files show no location.
            }
            Statement from = db.prepare(QStringLiteral("SELECT * FROM %1 WHERE \"ID\" >= ?1 ORDER BY \"ID\"")
                                            .arg(quoteIdentifier(FilesTable(volumes[v].tableName))));
            ResultReader reader(from);
            const int idColumn = from.columnIndex(QStringLiteral("ID"));
            std::size_t k = 0;
            while (k < ids.size()) {
                from.reset();
                from.bind(1, ids[k]->id);
                bool more = from.step();
                while (more && k < ids.size()) {
                    if (isAbortRequested())
                        return false;
                    const std::int64_t id = from.columnInt(idColumn);
                    while (k < ids.size() && ids[k]->id < id)
                        ++k;
                    if (k < ids.size() && ids[k]->id == id) {
                        ResultRow result = reader.read(from, false);
                        result.location = folders.path(reader.parent(from));
                        result.volume = volumes[v].volumeName;
                        ids[k++]->row = std::uint32_t(rows.size());
                        rows.push_back(std::move(result));
                    }
                    if (k == ids.size() || ids[k]->id - id > kSeekGap)
                        break;
                    more = from.step();
                }
                if (!more)
                    break;
            }
        } catch (const SqlError&) {
            // The volume's files cannot be read: they take no part in the groups.
        }
    }
    return true;
}

QString finalStatus(const IdenticalOutcome& outcome) {
    const QString found =
        QStringLiteral("%1 group(s) of identical files, %2 file(s)").arg(outcome.groups).arg(outcome.files);
    if (outcome.end != SearchEnd::Completed)
        return QStringLiteral("ABORTED, but found ") + found;
    if (outcome.volumesWithChecksums == 0)
        return QStringLiteral("No volume in the search was catalogued with checksums -- DONE");
    return QStringLiteral("Found ") + found + QStringLiteral(" -- DONE");
}

// Hands each group's rows on as one batch.
class GroupsAsRows : public IdenticalObserver {
public:
    explicit GroupsAsRows(SearchObserver& observer) : observer_(observer) {}
    void groupFound(IdenticalGroup& group) override { observer_.rowsFound(group.files); }
    void status(const QString& text) override { observer_.status(text); }

private:
    SearchObserver& observer_;
};

} // namespace

SearchOutcome RunIdenticalSearch(const IdenticalRequest& request, SearchObserver& observer) {
    GroupsAsRows groups(observer);
    const IdenticalOutcome found = RunIdenticalSearch(request.targets, request.dataPath, groups);
    SearchOutcome outcome;
    outcome.end = found.end;
    outcome.files = found.files;
    outcome.status = found.status;
    return outcome;
}

IdenticalOutcome RunIdenticalSearch(const QList<SearchTarget>& targets, const QString& dataPath,
                                    IdenticalObserver& observer) {
    IdenticalOutcome outcome;
    Connections connections(dataPath);
    const std::vector<SumsVolume> volumes = sumsVolumes(targets, connections);
    outcome.volumesWithChecksums = std::int64_t(volumes.size());

    std::vector<SumEntry> entries;
    bool completed = true;
    for (std::size_t v = 0; v < volumes.size() && completed; ++v) {
        observer.status(QStringLiteral("  Reading checksums of %1  ").arg(volumes[v].volumeName));
        try {
            completed =
                readSums(connections.get(volumes[v].databaseFile), volumes[v], std::uint32_t(v), entries);
        } catch (const SqlError&) {
            // The volume's checksums cannot be read: it takes no part.
        }
    }
    std::vector<SumEntry> groups = completed ? twins(entries) : std::vector<SumEntry>();
    entries = std::vector<SumEntry>();
    std::vector<ResultRow> rows;
    completed = completed && readRows(groups, volumes, connections, rows, observer);

    for (std::size_t first = 0; first < groups.size() && completed;) {
        std::size_t end = first + 1;
        while (end < groups.size() && sameContent(groups[first], groups[end]))
            ++end;
        IdenticalGroup group{groups[first].checksum, groups[first].size, {}};
        group.files.reserve(qsizetype(end - first));
        for (std::size_t k = first; k < end; ++k) {
            if (groups[k].row != kNoRow)
                group.files.append(std::move(rows[groups[k].row]));
        }
        first = end;
        if (group.files.size() < 2)
            continue;
        if (isAbortRequested()) {
            completed = false;
            break;
        }
        ++outcome.groups;
        outcome.files += group.files.size();
        outcome.freedBytes =
            SaturatingAdd(outcome.freedBytes,
                          saturatingProduct(std::max<std::int64_t>(group.size, 0), group.files.size() - 1));
        observer.groupFound(group);
    }
    if (!completed)
        outcome.end = SearchEnd::AbortedWhileReading;
    outcome.status = finalStatus(outcome);
    return outcome;
}

} // namespace mendor
