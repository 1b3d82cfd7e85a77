#pragma once
// The life of a catalog database: creating it from the template, renaming, deleting, repairing
// and compacting it. Each operation works on the data folder gDataPath, asks and reports through
// the Prompter it is given, and shows its progress through a ProgressSink; the desktop program's
// dialogs and the command-line tool call the same functions.
//
// A database file that someone else has open (another instance, another program of this
// system) is never renamed, deleted or replaced: see DatabaseLock.
#include <QString>
#include <QStringList>

namespace mendor {

class Prompter;
class ProgressSink;

/// Shown when a database name holds a character that keys or file names cannot carry.
inline const QString kForbiddenNameMessage =
    QStringLiteral("Can't use the following characters in a filename: _ / \\ : * ? \" < > |");

/// Shown when a new name is already taken.
inline const QString kNameInUseMessage =
    QStringLiteral("That name is currently in use... Please select another.");

/// True when name holds _ \ / : * ? < > | or a double quote.
bool HasForbiddenNameCharacter(const QString& name);

/// The typed text without those characters: what the name prompt keeps of what is typed.
QString WithoutForbiddenNameCharacters(const QString& typed);

/// The file of database name in the data folder: gDataPath/name.mdb.
QString DatabasePath(const QString& name);

/// True when a database file of the data folder other than exceptName's own has this name,
/// ignoring letter case (keys and the tree compare names that way).
bool DatabaseNameTaken(const QString& name, const QString& exceptName = {});

/// Creates a database as a copy of the template, named typedName without its forbidden
/// characters (dropped, as the name prompt drops them while they are typed). A name that is
/// then empty creates nothing and says nothing. A name beginning with "." (a hidden file that no
/// list would show), a name that holds ".mdb" (keys are cut at the first one) and a name already
/// taken are refused with a message; an existing file is never replaced. The copy is written to
/// a hidden file of the data folder and only then takes its name, so no half-written database is
/// ever listed. Returns the name of the new database; empty when none was created.
QString NewDatabase(const QString& typedName, Prompter& prompter);

/// Renames database oldName to newName (the tree's label edit). Refuses forbidden characters, a
/// name beginning with ".", a name the catalog tree shows for another node (NameShownInCatalogTree)
/// or another database has, and a file that someone else has open, with their messages; a
/// rename the file system refuses is reported with its reason. An empty new name changes nothing
/// and says nothing. True when the file now has the new name.
bool RenameDatabase(const QString& oldName, const QString& newName, Prompter& prompter);

/// Asks "Delete <name> and all of its volumes?" and deletes the database of key. Returns 1 when
/// the file was deleted, 0 after No, when someone else has the file open or when the file system
/// refuses (each with its message).
int DeleteDatabase(const QString& key, Prompter& prompter);

/// Drops volume tables that have no index row (debris of aborted runs such as temp_dirs, and
/// tables without "_"), then removes index rows whose folders table is missing or empty,
/// together with their tables. One transaction; every failure is ignored, and a database that
/// cannot be repaired stays as it was.
void RepairDatabase(const QString& path);

/// Repairs and compacts the database of key (a database node key or a file name) in place: the
/// compacted copy is written to path + "_tmp" and then renamed over the original, so the
/// original stays whole until the copy is complete. A file someone else has open is refused; a
/// copy that fails (disk full, the "_tmp" name taken by something that is not a file) leaves the
/// original as it was, removes the partial copy and is reported through the prompter. True when
/// the database was compacted.
bool CompactDatabaseFile(const QString& key, Prompter& prompter, ProgressSink& sink);

/// Compacts every database of the data folder in listing order and returns how many were
/// compacted. The old limit of 255 names per run is not kept: every database is compacted, as
/// many as the folder holds. Runs as a long operation: does nothing while gBusy is set, sets it
/// while running and stops before the next database when gAbort is set.
int CompactAllDatabases(Prompter& prompter, ProgressSink& sink);

} // namespace mendor
