#include "store/DatabaseLifecycle.h"

#include "shell/BusyScope.h"
#include "shell/Flags.h"
#include "shell/Options.h"
#include "shell/ProgramFolder.h"
#include "shell/ProgressSink.h"
#include "shell/Prompter.h"
#include "store/Database.h"
#include "store/DatabaseList.h"
#include "store/DatabaseLock.h"
#include "store/Keys.h"
#include "store/Schema.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <unistd.h>

namespace mendor {

namespace {

const QString kExtension = QStringLiteral(".mdb");
const QString kForbiddenCharacters = QStringLiteral("_\\/:*?\"<>|");
constexpr qint64 kCopyBlock = 32000;

QString nameOfPath(const QString& path) {
    const QString fileName = QFileInfo(path).fileName();
    return fileName.left(fileName.size() - kExtension.size());
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Gives from the name to without ever replacing a file called to: EEXIST when one is there.
int renameWithoutReplacing(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without RENAME_NOREPLACE: a hard link refuses an existing name just as atomically.
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    ::unlink(source.constData());
    return 0;
}

// Writes a file's data to the disk, so that a rename that publishes it cannot leave an empty
// file behind after a power failure.
bool syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

QString usedBySomeoneElse(const QString& name, const QString& verb, const QString& command) {
    return QStringLiteral("%1 is being used by someone else, and cannot be %2.  Once everyone else has quit "
                          "Mendor Pro, you can %3 the database.")
        .arg(name, verb, command);
}

// A rollback journal left by a crash belongs to the file's name: opening the database once
// under the exclusive lock plays it back before the file is renamed or replaced.
void settleJournal(const QString& path) {
    try {
        Database::open(path);
    } catch (const SqlError&) {
        // Not a database the engine can open: there is no journal of its own to play back.
    }
}

bool refuseName(const QString& name, Prompter& prompter) {
    if (HasForbiddenNameCharacter(name)) {
        prompter.message(kForbiddenNameMessage);
        return true;
    }
    if (name.startsWith(QLatin1Char('.'))) {
        prompter.message(QStringLiteral("A database name cannot begin with \".\"."));
        return true;
    }
    if (name.contains(kExtension, Qt::CaseInsensitive)) {
        prompter.message(QStringLiteral("A database name cannot contain \"%1\".").arg(kExtension));
        return true;
    }
    return false;
}

// Copies the template into a hidden file of the data folder; returns its path, or an empty text
// after reporting why not.
QString copyTemplate(const QString& name, Prompter& prompter) {
    const auto report = [&](const QString& why) {
        prompter.message(QStringLiteral("The database %1 could not be created: %2").arg(name, why));
        return QString();
    };
    QFile source(InstallFile(QStringLiteral("template.qvt")));
    if (!source.open(QIODevice::ReadOnly))
        return report(source.fileName() + QStringLiteral(": ") + source.errorString());
    QTemporaryFile copy(gDataPath + QStringLiteral("/.newdb-XXXXXX"));
    if (!copy.open())
        return report(copy.errorString());
    while (!source.atEnd()) {
        const QByteArray block = source.read(kCopyBlock);
        if (block.isEmpty() && source.error() != QFile::NoError)
            return report(source.errorString());
        if (copy.write(block) != block.size())
            return report(copy.errorString());
    }
    if (!copy.flush() || ::fsync(copy.handle()) != 0)
        return report(copy.errorString());
    copy.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    copy.setAutoRemove(false);
    return copy.fileName();
}

bool compactLocked(const QString& path, const QString& name, Prompter& prompter, ProgressSink& sink) {
    const QString copy = path + QStringLiteral("_tmp");
    const auto fail = [&](const QString& why) {
        if (QFileInfo(copy).isFile())
            QFile::remove(copy);
        prompter.message(
            QStringLiteral("%1 could not be compacted and has been left as it was.\n\n%2").arg(name, why));
        return false;
    };
    // A file that is no catalog database (or cannot be opened) is left alone from the start.
    try {
        Database::open(path);
    } catch (const SqlError& e) {
        return fail(QString::fromStdString(e.what()));
    }
    RepairDatabase(path);
    sink.status(QStringLiteral("Compacting ") + name + QStringLiteral("..."));
    sink.pause(25);

    // Only a compaction of this database writes this name, and it holds the exclusive lock:
    // a file of that name is what an interrupted compaction left behind.
    if (QFileInfo(copy).isFile())
        QFile::remove(copy);
    try {
        Database::compactInto(path, copy);
    } catch (const SqlError& e) {
        return fail(QString::fromStdString(e.what()));
    }
    if (!syncFile(copy))
        return fail(QStringLiteral("%1: %2").arg(copy, systemError(errno)));
    if (::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(QStringLiteral("%1: %2").arg(copy, systemError(errno)));
    return true;
}

} // namespace

bool HasForbiddenNameCharacter(const QString& name) {
    for (const QChar c : name) {
        if (kForbiddenCharacters.contains(c))
            return true;
    }
    return false;
}

QString DatabasePath(const QString& name) {
    return gDataPath + QLatin1Char('/') + name + kExtension;
}

bool DatabaseNameTaken(const QString& name, const QString& exceptName) {
    for (const QString& fileName : DatabaseFileNames(gDataPath)) {
        const QString other = fileName.left(fileName.size() - kExtension.size());
        if (other == exceptName)
            continue;
        if (other.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString WithoutForbiddenNameCharacters(const QString& typed) {
    QString name = typed;
    name.removeIf([](QChar c) { return kForbiddenCharacters.contains(c); });
    return name;
}

QString NewDatabase(const QString& typedName, Prompter& prompter) {
    const QString name = WithoutForbiddenNameCharacters(typedName);
    if (name.isEmpty() || refuseName(name, prompter))
        return {};
    const QString alreadyThere =
        QStringLiteral("A database named %1 already exists.  Please choose another name.").arg(name);
    if (DatabaseNameTaken(name)) {
        prompter.message(alreadyThere);
        return {};
    }
    const QString copy = copyTemplate(name, prompter);
    if (copy.isEmpty())
        return {};
    const int error = renameWithoutReplacing(copy, DatabasePath(name));
    if (error == 0)
        return name;
    QFile::remove(copy);
    prompter.message(
        error == EEXIST
            ? alreadyThere
            : QStringLiteral("The database %1 could not be created: %2").arg(name, systemError(error)));
    return {};
}

bool RenameDatabase(const QString& oldName, const QString& newName, Prompter& prompter) {
    if (newName.isEmpty())
        return false;
    if (newName == oldName)
        return true;
    if (refuseName(newName, prompter))
        return false;
    if (DatabaseNameTaken(newName, oldName) ||
        NameShownInCatalogTree(gDataPath, newName, DatabaseKey(oldName))) {
        prompter.message(kNameInUseMessage);
        return false;
    }
    const QString oldPath = DatabasePath(oldName);
    const QString refusal = usedBySomeoneElse(oldName, QStringLiteral("renamed"), QStringLiteral("rename"));
    const std::optional<DatabaseLock> lock = DatabaseLock::tryAcquire(oldPath, DatabaseLock::Mode::Exclusive);
    if (!lock) {
        prompter.message(refusal);
        return false;
    }
    settleJournal(oldPath);
    const int error = renameWithoutReplacing(oldPath, DatabasePath(newName));
    if (error == EEXIST) {
        prompter.message(kNameInUseMessage);
        return false;
    }
    if (error != 0) {
        prompter.message(QStringLiteral("%1 could not be renamed: %2").arg(oldName, systemError(error)));
        return false;
    }
    return true;
}

int DeleteDatabase(const QString& key, Prompter& prompter) {
    const QString path = DbPathFromKey(key);
    const QString name = nameOfPath(path);
    if (!prompter.askYesNo(QStringLiteral("Delete ") + name + QStringLiteral(" and all of its volumes?"),
                           QStringLiteral("Confirm Delete")))
        return 0;
    const QString refusal = usedBySomeoneElse(name, QStringLiteral("deleted"), QStringLiteral("delete"));
    const std::optional<DatabaseLock> lock = DatabaseLock::tryAcquire(path, DatabaseLock::Mode::Exclusive);
    if (!lock) {
        prompter.message(refusal);
        return 0;
    }
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        prompter.message(QStringLiteral("%1 could not be deleted: %2").arg(name, systemError(errno)));
        return 0;
    }
    // A journal of the deleted file would otherwise be played into a later file of that name.
    QFile::remove(path + QStringLiteral("-journal"));
    return 1;
}

void RepairDatabase(const QString& path) {
    try {
        Database db = Database::open(path);
        Transaction transaction(db);

        QSet<QString> volumes;
        {
            Statement rows = db.prepare(QStringLiteral("SELECT \"tablename\" FROM \"index\""));
            while (rows.step())
                volumes.insert(rows.columnText(0).trimmed().toLower());
        }
        // Orphan tables: a volume table whose table name t has no index row. A table is never
        // dropped while an index row names it.
        Statement deleteRow =
            db.prepare(QStringLiteral("DELETE FROM \"index\" WHERE \"tablename\" = ?1 COLLATE NOCASE"));
        for (const QString& table : db.tableNames()) {
            if (IsReservedTable(table) || IsTableOfVolume(table, volumes))
                continue;
            db.execIgnoringErrors(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(table)));
            deleteRow.reset();
            deleteRow.bind(1, table.toLower());
            try {
                deleteRow.execute();
            } catch (const SqlError&) {
                // Ignored, as every step of the repair.
            }
        }

        // Orphan rows: an index row whose folders table is missing or empty.
        QStringList tableNames;
        {
            Statement rows = db.prepare(QStringLiteral("SELECT \"tablename\" FROM \"index\" ORDER BY rowid"));
            while (rows.step())
                tableNames << rows.columnText(0);
        }
        Statement deleteVolume =
            db.prepare(QStringLiteral("DELETE FROM \"index\" WHERE \"tablename\" IS ?1"));
        for (const QString& t : tableNames) {
            bool hasFolders = false;
            try {
                hasFolders = db.prepare(QStringLiteral("SELECT \"name\" FROM %1 LIMIT 1")
                                            .arg(quoteIdentifier(DirsTable(t))))
                                 .step();
            } catch (const SqlError&) {
                // A missing folders table: the volume goes.
            }
            if (hasFolders)
                continue;
            for (const QString& table : {DirsTable(t), FilesTable(t), SumsTable(t)})
                db.execIgnoringErrors(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(table)));
            deleteVolume.reset();
            deleteVolume.bind(1, t);
            try {
                deleteVolume.execute();
            } catch (const SqlError&) {
                // Ignored, as every step of the repair.
            }
        }
        transaction.commit();
    } catch (const SqlError&) {
        // A database that cannot be repaired is left as it was (the transaction rolls back).
    }
}

bool CompactDatabaseFile(const QString& key, Prompter& prompter, ProgressSink& sink) {
    const QString path = DbPathFromKey(key);
    const QString name = nameOfPath(path);
    const std::optional<DatabaseLock> lock = DatabaseLock::tryAcquire(path, DatabaseLock::Mode::Exclusive);
    if (!lock) {
        prompter.message(usedBySomeoneElse(name, QStringLiteral("compacted"), QStringLiteral("compact")));
        return false;
    }
    return compactLocked(path, name, prompter, sink);
}

int CompactAllDatabases(Prompter& prompter, ProgressSink& sink) {
    if (isBusy())
        return 0;
    const QStringList files = DatabaseFileNames(gDataPath);
    if (files.isEmpty())
        return 0;
    const BusyScope busy;
    sink.pause(25);
    int compacted = 0;
    for (const QString& file : files) {
        if (isAbortRequested())
            break;
        if (CompactDatabaseFile(file, prompter, sink))
            ++compacted;
        sink.pause(25);
    }
    gAbort.store(kFlagClear);
    return compacted;
}

} // namespace mendor
