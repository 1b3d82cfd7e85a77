#include "store/VolumeMaintenance.h"

#include "shell/BusyScope.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ProgressSink.h"
#include "shell/Prompter.h"
#include "store/Database.h"
#include "store/DatabaseLifecycle.h"
#include "store/DatabaseList.h"
#include "store/Keys.h"
#include "store/Schema.h"

#include <cstdint>
#include <QFileInfo>
#include <QSet>

namespace mendor {

namespace {

// The ten fields of a volume's folder and file rows, and the fields of its index row after
// tablename and name.
const QString kItemFields =
    QStringLiteral("\"ID\", \"parent\", \"name\", \"size\", \"description\", \"attrib\", \"createdate\", "
                   "\"lastdate\", \"moddate\", \"depth\"");
const QString kIndexFields = QStringLiteral(
    "\"thedate\", \"size\", \"free\", \"used\", \"dirs\", \"files\", \"volumetype\", \"thedescription\"");
const QString kSourceSchema = QStringLiteral("moving_source");

void reportFailure(Prompter& prompter, const QString& what, const SqlError& error) {
    prompter.message(what + QStringLiteral("\n\n") + QString::fromStdString(error.what()));
}

QString itemTable(const QString& key) {
    const QString t = TableNameFromKey(key);
    return IsFileKey(key) ? FilesTable(t) : DirsTable(t);
}

std::optional<QString> volumeName(Database& db, const QString& t) {
    Statement query = db.prepare(QStringLiteral("SELECT \"name\" FROM \"index\" WHERE \"tablename\" = ?1"));
    query.bind(1, t);
    if (!query.step())
        return std::nullopt;
    return query.columnText(0);
}

// The subtree of a folder, for use as "IN (...)" with the folder's ID bound as ?1.
QString subtreeOf(const QString& dirsTable) {
    return QStringLiteral(
               "WITH RECURSIVE \"subtree\"(\"id\") AS (SELECT ?1 UNION SELECT d.\"ID\" FROM %1 AS d "
               "JOIN \"subtree\" ON d.\"parent\" = \"subtree\".\"id\") SELECT \"id\" FROM \"subtree\"")
        .arg(quoteIdentifier(dirsTable));
}

std::int64_t countWhere(Database& db, const QString& sql, std::int64_t id) {
    Statement query = db.prepare(sql);
    query.bind(1, id);
    return query.step() ? query.columnInt(0) : 0;
}

// Takes bytes off the size of folder `from` and every folder above it. The visited set guards
// against a damaged catalog whose parent links run in a circle.
void subtractFromAncestors(Database& db, const QString& dirsTable, std::int64_t from, std::int64_t bytes) {
    Statement parentOf = db.prepare(
        QStringLiteral("SELECT \"parent\" FROM %1 WHERE \"ID\" = ?1").arg(quoteIdentifier(dirsTable)));
    Statement shrink =
        db.prepare(QStringLiteral("UPDATE %1 SET \"size\" = max(0, \"size\" - ?2) WHERE \"ID\" = ?1")
                       .arg(quoteIdentifier(dirsTable)));
    QSet<std::int64_t> visited;
    for (std::int64_t id = from; id != 0 && !visited.contains(id);) {
        visited.insert(id);
        parentOf.reset();
        parentOf.bind(1, id);
        if (!parentOf.step())
            break;
        const std::int64_t parent = parentOf.columnInt(0);
        parentOf.reset();
        shrink.reset();
        shrink.bind(1, id).bind(2, bytes);
        shrink.execute();
        id = parent;
    }
}

// Deletes one item (a folder with its subtree) in its own transaction.
void deleteItem(const QString& key) {
    Database db = Database::open(DbPathFromKey(key));
    const QString t = TableNameFromKey(key);
    const std::int64_t id = ItemIdFromKey(key);
    const bool isFile = IsFileKey(key);
    const QString dirs = quoteIdentifier(DirsTable(t));
    const QString files = quoteIdentifier(FilesTable(t));
    Transaction transaction(db);

    std::int64_t bytes = 0;
    std::int64_t parent = 0;
    {
        Statement row = db.prepare(QStringLiteral("SELECT \"size\", \"parent\" FROM %1 WHERE \"ID\" = ?1")
                                       .arg(isFile ? files : dirs));
        row.bind(1, id);
        if (!row.step())
            return;
        bytes = row.columnInt(0);
        parent = row.columnInt(1);
    }
    std::int64_t removedFolders = 0;
    std::int64_t removedFiles = 1;
    QStringList removals;
    // The checksums of the removed files go first, while their rows still say which they are.
    const bool hasSums = HasSumsTable(db, t);
    const QString sums = quoteIdentifier(SumsTable(t));
    if (isFile) {
        if (hasSums)
            removals << QStringLiteral("DELETE FROM %1 WHERE \"ID\" = ?1").arg(sums);
        removals << QStringLiteral("DELETE FROM %1 WHERE \"ID\" = ?1").arg(files);
    } else {
        const QString subtree = subtreeOf(DirsTable(t));
        removedFolders = countWhere(
            db, QStringLiteral("SELECT count(*) FROM %1 WHERE \"ID\" IN (%2)").arg(dirs, subtree), id);
        removedFiles = countWhere(
            db, QStringLiteral("SELECT count(*) FROM %1 WHERE \"parent\" IN (%2)").arg(files, subtree), id);
        if (hasSums) {
            removals << QStringLiteral("DELETE FROM %1 WHERE \"ID\" IN (SELECT \"ID\" FROM %2 WHERE "
                                       "\"parent\" IN (%3))")
                            .arg(sums, files, subtree);
        }
        removals << QStringLiteral("DELETE FROM %1 WHERE \"parent\" IN (%2)").arg(files, subtree)
                 << QStringLiteral("DELETE FROM %1 WHERE \"ID\" IN (%2)").arg(dirs, subtree);
    }
    for (const QString& sql : removals) {
        Statement remove = db.prepare(sql);
        remove.bind(1, id);
        remove.execute();
    }
    subtractFromAncestors(db, DirsTable(t), parent, bytes);
    Statement counts =
        db.prepare(QStringLiteral("UPDATE \"index\" SET \"dirs\" = max(0, \"dirs\" - ?2), "
                                  "\"files\" = max(0, \"files\" - ?3) WHERE \"tablename\" = ?1"));
    counts.bind(1, t).bind(2, removedFolders).bind(3, removedFiles);
    counts.execute();
    transaction.commit();
}

QString copyName(const QString& name, int k) {
    return name + QStringLiteral(" (Copy %1)").arg(k);
}

// The name the moved volume gets in the target: its own, or the first " (Copy k)" from k = 2 on
// that no other volume of the target has, ignoring letter case.
QString freeName(Database& target, const QString& name) {
    QSet<QString> taken;
    Statement names = target.prepare(QStringLiteral("SELECT \"name\" FROM \"index\""));
    while (names.step())
        taken.insert(names.columnText(0).toLower());
    QString candidate = name;
    for (int k = 2; taken.contains(candidate.toLower()); ++k)
        candidate = copyName(name, k);
    return candidate;
}

// Steps 1-8 of a move: the volume's rows and index row into the target, in one transaction.
void copyVolume(const QString& sourcePath, const QString& targetPath, const QString& t, const QString& label,
                ProgressSink& sink) {
    Database target = Database::open(targetPath);
    Statement attach =
        target.prepare(QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(quoteIdentifier(kSourceSchema)));
    attach.bind(1, sourcePath);
    attach.execute();
    {
        Transaction transaction(target);
        Statement removeOld =
            target.prepare(QStringLiteral("DELETE FROM main.\"index\" WHERE \"tablename\" = ?1"));
        removeOld.bind(1, t);
        removeOld.execute();
        DropVolumeTables(target, t);
        CreateVolumeTables(target, t);

        const auto copyRows = [&](const QString& table, const QString& kind) {
            sink.status(QStringLiteral("Moving %1 (%2)").arg(label, kind));
            sink.pause(25);
            target.exec(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM %3.%1 ORDER BY \"ID\"")
                            .arg(quoteIdentifier(table), kItemFields, quoteIdentifier(kSourceSchema)));
        };
        copyRows(DirsTable(t), QStringLiteral("folders"));
        copyRows(FilesTable(t), QStringLiteral("files"));
        if (HasSumsTable(target, t, kSourceSchema)) {
            CreateSumsTable(target, t);
            target.exec(QStringLiteral("INSERT INTO main.%1 (\"ID\", \"checksum\") SELECT \"ID\", "
                                       "\"checksum\" FROM %2.%1 ORDER BY \"ID\"")
                            .arg(quoteIdentifier(SumsTable(t)), quoteIdentifier(kSourceSchema)));
        }

        Statement addRow = target.prepare(
            QStringLiteral("INSERT INTO main.\"index\" (\"tablename\", \"name\", %1) SELECT ?1, ?2, %1 FROM "
                           "%2.\"index\" WHERE \"tablename\" = ?1 LIMIT 1")
                .arg(kIndexFields, quoteIdentifier(kSourceSchema)));
        addRow.bind(1, t).bind(2, freeName(target, label));
        addRow.execute();
        CreateVolumeIndexes(target, t);
        transaction.commit();
    }
    target.execIgnoringErrors(QStringLiteral("DETACH DATABASE %1").arg(quoteIdentifier(kSourceSchema)));
}

} // namespace

std::optional<QString> VolumeTableByName(const QString& databasePath, const QString& name) {
    Database db = Database::openReadOnly(databasePath);
    Statement rows =
        db.prepare(QStringLiteral("SELECT \"tablename\", \"name\" FROM \"index\" ORDER BY rowid"));
    std::optional<QString> otherCase;
    while (rows.step()) {
        const QString rowName = rows.columnText(1);
        if (rowName == name)
            return rows.columnText(0);
        if (!otherCase && rowName.compare(name, Qt::CaseInsensitive) == 0)
            otherCase = rows.columnText(0);
    }
    return otherCase;
}

bool VolumeNameTaken(const QString& volumeKey, const QString& name) {
    Database db = Database::openReadOnly(DbPathFromKey(volumeKey));
    Statement rows =
        db.prepare(QStringLiteral("SELECT \"name\" FROM \"index\" WHERE \"tablename\" IS NOT ?1"));
    rows.bind(1, TableNameFromKey(volumeKey));
    while (rows.step()) {
        if (rows.columnText(0).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool RenameVolume(const QString& volumeKey, const QString& newName, Prompter& prompter) {
    if (newName.isEmpty())
        return false;
    try {
        if (VolumeNameTaken(volumeKey, newName) || NameShownInCatalogTree(gDataPath, newName, volumeKey)) {
            prompter.message(kNameInUseMessage);
            return false;
        }
        Database db = Database::open(DbPathFromKey(volumeKey));
        Statement update =
            db.prepare(QStringLiteral("UPDATE \"index\" SET \"name\" = ?1 WHERE \"tablename\" = ?2"));
        update.bind(1, newName).bind(2, TableNameFromKey(volumeKey));
        update.execute();
        return db.changes() > 0;
    } catch (const SqlError& e) {
        reportFailure(prompter, QStringLiteral("The volume could not be renamed."), e);
        return false;
    }
}

std::optional<QString> DescribeVolume(const QString& volumeKey, const QString& label, Prompter& prompter) {
    try {
        Database db = Database::open(DbPathFromKey(volumeKey));
        const QString t = TableNameFromKey(volumeKey);
        QString current;
        {
            Statement read = db.prepare(
                QStringLiteral("SELECT \"thedescription\" FROM \"index\" WHERE \"tablename\" = ?1"));
            read.bind(1, t);
            if (!read.step())
                return std::nullopt;
            current = read.columnText(0);
        }
        const QString description =
            prompter
                .inputBox(QStringLiteral("Enter a description for ") + label +
                              QStringLiteral(". Pressing Cancel will delete any existing description."),
                          QStringLiteral("Describe Volume"), current)
                .value_or(QStringLiteral(""));
        Statement write = db.prepare(
            QStringLiteral("UPDATE \"index\" SET \"thedescription\" = ?1 WHERE \"tablename\" = ?2"));
        write.bind(1, description).bind(2, t);
        write.execute();
        return description;
    } catch (const SqlError& e) {
        reportFailure(prompter, QStringLiteral("The description could not be stored."), e);
        return std::nullopt;
    }
}

bool DeleteVolume(const QString& volumeKey, Prompter& prompter) {
    if (!prompter.askYesNo(QStringLiteral("Delete this Volume?"), QStringLiteral("Confirm Deletion")))
        return false;
    bool removed = false;
    try {
        Database db = Database::open(DbPathFromKey(volumeKey));
        const QString t = TableNameFromKey(volumeKey);
        Transaction transaction(db);
        Statement remove = db.prepare(QStringLiteral("DELETE FROM \"index\" WHERE \"tablename\" = ?1"));
        remove.bind(1, t);
        remove.execute();
        removed = db.changes() > 0;
        // Tables already missing are no obstacle.
        for (const QString& table : {DirsTable(t), FilesTable(t), SumsTable(t)}) {
            if (db.hasTable(table)) {
                db.exec(QStringLiteral("DROP TABLE \"main\".%1").arg(quoteIdentifier(table)));
                removed = true;
            }
        }
        transaction.commit();
    } catch (const SqlError& e) {
        reportFailure(prompter, QStringLiteral("The volume could not be deleted; its database is as it was."),
                      e);
        return false;
    }
    if (!removed)
        prompter.message(QStringLiteral("The volume is no longer in its database; nothing was deleted."));
    return removed;
}

std::vector<ItemDescription> DescribeItems(const std::vector<SelectedItem>& items, Prompter& prompter) {
    std::vector<ItemDescription> described;
    try {
        for (const SelectedItem& item : items) {
            Database db = Database::open(DbPathFromKey(item.key));
            const QString table = quoteIdentifier(itemTable(item.key));
            const std::int64_t id = ItemIdFromKey(item.key);
            QString current;
            {
                Statement read =
                    db.prepare(QStringLiteral("SELECT \"description\" FROM %1 WHERE \"ID\" = ?1").arg(table));
                read.bind(1, id);
                if (!read.step())
                    continue;
                current = read.columnText(0);
            }
            const QString description =
                prompter
                    .inputBox(QStringLiteral("Enter a description for ") + item.text +
                                  QStringLiteral(".  Pressing Cancel will delete any existing description."),
                              QStringLiteral("Describe Volume"), current)
                    .value_or(QStringLiteral(""));
            Statement write =
                db.prepare(QStringLiteral("UPDATE %1 SET \"description\" = ?1 WHERE \"ID\" = ?2").arg(table));
            write.bind(1, description).bind(2, id);
            write.execute();
            described.push_back({item.key, description});
        }
    } catch (const SqlError& e) {
        reportFailure(prompter, QStringLiteral("The description could not be stored."), e);
    }
    return described;
}

bool DeleteItems(const std::vector<SelectedItem>& items, const QString& nodeLabel, Prompter& prompter,
                 ProgressSink& sink) {
    if (!prompter.askYesNo(QStringLiteral("Delete all selected files/folders from ") + nodeLabel +
                               QStringLiteral("?"),
                           QStringLiteral("Delete Confirmation")))
        return false;
    sink.status(QStringLiteral("Deleting items... please wait."));
    sink.pause(25);
    for (const SelectedItem& item : items) {
        sink.pause(25);
        try {
            deleteItem(item.key);
        } catch (const SqlError& e) {
            reportFailure(prompter, item.text + QStringLiteral(" could not be deleted."), e);
            break;
        }
    }
    return true;
}

QStringList MoveTargetNames(const QString& volumeKey, Prompter& prompter) {
    const QString own = DbFileNameFromKey(volumeKey);
    QStringList names;
    for (const QString& fileName : DatabaseFileNames(gDataPath)) {
        if (fileName != own)
            names << fileName.left(fileName.size() - 4);
    }
    if (names.isEmpty())
        prompter.message(kNoMoveTargetsMessage);
    return names;
}

bool MoveVolume(const QString& volumeKey, const QString& targetPath, Prompter& prompter, ProgressSink& sink) {
    if (isBusy())
        return false;
    sink.pause(25);
    const BusyScope busy;
    const QString sourcePath = DbPathFromKey(volumeKey);
    const QString t = TableNameFromKey(volumeKey);
    if (QFileInfo(sourcePath).canonicalFilePath() == QFileInfo(targetPath).canonicalFilePath()) {
        prompter.message(QStringLiteral("A volume cannot be moved into the database that holds it."));
        return false;
    }
    QString label;
    try {
        Database source = Database::openReadOnly(sourcePath);
        const std::optional<QString> name = volumeName(source, t);
        if (!name) {
            prompter.message(QStringLiteral("The volume could not be found in its database."));
            return false;
        }
        label = *name;
        // The source stays open (and so locked against renaming and deletion) while it is copied.
        copyVolume(sourcePath, targetPath, t, label, sink);
    } catch (const SqlError& e) {
        reportFailure(
            prompter,
            label + QStringLiteral(" could not be moved; both databases have been left as they were."), e);
        return false;
    }
    try {
        Database source = Database::open(sourcePath);
        Transaction transaction(source);
        Statement remove = source.prepare(QStringLiteral("DELETE FROM \"index\" WHERE \"tablename\" = ?1"));
        remove.bind(1, t);
        remove.execute();
        source.exec(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(DirsTable(t))));
        source.exec(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(FilesTable(t))));
        source.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoteIdentifier(SumsTable(t))));
        transaction.commit();
    } catch (const SqlError& e) {
        reportFailure(prompter,
                      label + QStringLiteral(" was copied, but could not be removed from its own database."),
                      e);
    }
    return true;
}

} // namespace mendor
