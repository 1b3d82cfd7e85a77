#include "catalog/VolumeComparison.h"

#include "store/Database.h"
#include "store/Schema.h"

#include <algorithm>
#include <QHash>

namespace mendor {

namespace {

struct FileRecord {
    std::int64_t size = 0;
    std::int64_t modified = 0;
    QByteArray checksum; ///< null without one
};

struct FolderRow {
    std::int64_t parent = 0;
    QString name;
    bool real = false;     ///< a folder of the volume, not an archive catalogued as one
    std::int64_t size = 0; ///< an archive's own length
    std::int64_t modified = 0;
    bool visited = false;
    bool reachable = false;
    QString path; ///< below the root, ending in "\" (empty for the root)
};

/// The volume's folder rows with the paths of the real ones; a row whose chain of parents does
/// not reach the root (a damaged catalog) has no path.
class FolderPaths {
public:
    FolderPaths(const Database& db, const QString& t) {
        Statement rows = db.prepare(
            QStringLiteral("SELECT \"ID\", \"parent\", \"name\", \"attrib\", \"size\", \"moddate\" FROM %1")
                .arg(quoteIdentifier(DirsTable(t))));
        while (rows.step()) {
            FolderRow& row = folders_[rows.columnInt(0)];
            row.parent = rows.columnInt(1);
            row.name = rows.columnText(2);
            row.real = rows.columnText(3).contains(QLatin1Char('D'));
            row.size = rows.columnInt(4);
            row.modified = rows.columnInt(5);
        }
    }

    /// The path of a real folder, or nullptr when it is none or cannot be reached.
    const QString* pathOf(std::int64_t id) {
        const auto it = folders_.find(id);
        if (it == folders_.end() || !it->real)
            return nullptr;
        resolve(id);
        return it->reachable ? &it->path : nullptr;
    }

    /// The archives catalogued as folders, as files of their folders: path, length and date.
    template <typename Visit>
    void forEachArchive(Visit visit) {
        for (auto it = folders_.begin(); it != folders_.end(); ++it) {
            if (it->real)
                continue;
            if (const QString* folder = pathOf(it->parent))
                visit(*folder + it->name, FileRecord{it->size, it->modified, {}});
        }
    }

private:
    /// Works up the chain iteratively (catalogs can be deep) and down again setting the paths.
    void resolve(std::int64_t id) {
        std::vector<std::int64_t> chain;
        for (std::int64_t at = id;;) {
            const auto it = folders_.find(at);
            if (it == folders_.end() || !it->real || it->visited)
                break;
            it->visited = true;
            chain.push_back(at);
            if (it->parent == 0) {
                it->reachable = true;
                break;
            }
            at = it->parent;
        }
        for (auto step = chain.rbegin(); step != chain.rend(); ++step) {
            FolderRow& row = folders_[*step];
            if (row.parent == 0)
                continue;
            const auto parent = folders_.constFind(row.parent);
            if (parent == folders_.cend() || !parent->reachable)
                continue;
            row.reachable = true;
            row.path = parent->path + row.name + QLatin1Char('\\');
        }
    }

    QHash<std::int64_t, FolderRow> folders_;
};

QHash<QString, FileRecord> readFiles(const Database& db, const QString& t) {
    FolderPaths folders(db, t);
    QHash<QString, FileRecord> files;
    const QString checksum =
        HasSumsTable(db, t) ? QStringLiteral("(SELECT s.\"checksum\" FROM %1 AS s WHERE s.\"ID\" = f.\"ID\")")
                                  .arg(quoteIdentifier(SumsTable(t)))
                            : QStringLiteral("NULL");
    Statement rows = db.prepare(
        QStringLiteral("SELECT f.\"parent\", f.\"name\", f.\"size\", f.\"moddate\", %1 FROM %2 AS f")
            .arg(checksum, quoteIdentifier(FilesTable(t))));
    while (rows.step()) {
        // Members of archives have an archive row as their parent, which has no path.
        const QString* folder = folders.pathOf(rows.columnInt(0));
        if (folder)
            files.insert(*folder + rows.columnText(1),
                         {rows.columnInt(2), rows.columnInt(3), rows.columnBlob(4)});
    }
    folders.forEachArchive(
        [&](const QString& path, const FileRecord& archive) { files.insert(path, archive); });
    return files;
}

} // namespace

VolumeComparison CompareVolumeFiles(const Database& catalog, const QString& t, const Database& scanned,
                                    const QString& scannedT) {
    QHash<QString, FileRecord> catalogued = readFiles(catalog, t);
    const QHash<QString, FileRecord> found = readFiles(scanned, scannedT);
    VolumeComparison comparison;
    comparison.catalogFiles = catalogued.size();
    comparison.mediumFiles = found.size();
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        FileDifference difference;
        difference.path = it.key();
        difference.mediumSize = it->size;
        difference.mediumModified = it->modified;
        const auto before = catalogued.constFind(it.key());
        if (before == catalogued.cend()) {
            difference.kind = FileDifference::Kind::New;
            comparison.differences.push_back(difference);
            continue;
        }
        difference.catalogSize = before->size;
        difference.catalogModified = before->modified;
        difference.sizeChanged = before->size != it->size;
        difference.dateChanged = before->modified != it->modified;
        if (!before->checksum.isNull() && !it->checksum.isNull()) {
            ++comparison.contentsCompared;
            difference.contentChanged = !difference.sizeChanged && before->checksum != it->checksum;
        }
        catalogued.erase(before);
        if (difference.sizeChanged || difference.dateChanged || difference.contentChanged)
            comparison.differences.push_back(difference);
    }
    for (auto it = catalogued.cbegin(); it != catalogued.cend(); ++it) {
        FileDifference difference;
        difference.kind = FileDifference::Kind::Missing;
        difference.path = it.key();
        difference.catalogSize = it->size;
        difference.catalogModified = it->modified;
        comparison.differences.push_back(difference);
    }
    std::sort(comparison.differences.begin(), comparison.differences.end(),
              [](const FileDifference& a, const FileDifference& b) { return a.path < b.path; });
    return comparison;
}

} // namespace mendor
