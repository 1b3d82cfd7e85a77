#pragma once
// Editing catalogued volumes and items without their media: renaming, describing and deleting a
// volume, describing and deleting list items, and moving a volume into another database. Volume
// operations take the key of a volume node (database file name, "_", table name t); item
// operations take the selected list items in list order. Questions and reports go through the
// Prompter, progress through the ProgressSink; the tree and lists refresh themselves afterwards.
//
// Deleting a folder removes its whole subtree: the folder, every folder below it and every file
// in any of them, found through the parent links. The removed bytes are taken off the size of
// every folder above it, and the removed folders and files off the volume's counts in index, so
// that what the tree, the lists and the totals show stays the sum of what is left. Deleting a
// file takes its size off the folders above it in the same way.
//
// A volume's checksums (t_sums, when it has them) go wherever its table pair goes: they move
// and are deleted with it, and the checksums of deleted files are deleted with the files.
#include <optional>
#include <QString>
#include <QStringList>
#include <vector>

namespace mendor {

class Prompter;
class ProgressSink;

/// One selected item of the content list: its key and the text it shows.
struct SelectedItem {
    QString key;
    QString text;
};

/// The description an item was given, for the caches of the tree and the list.
struct ItemDescription {
    QString key;
    QString description;
};

inline const QString kNoMoveTargetsMessage =
    QStringLiteral("No other databases available to move this volume into!");

/// The table name t of the volume called name in a database file: the exact name first, else the
/// same name in another letter case. std::nullopt when there is none; a file that cannot be read
/// raises SqlError.
std::optional<QString> VolumeTableByName(const QString& databasePath, const QString& name);

/// True when another volume of the volume's database (another table name) is called name,
/// ignoring letter case.
bool VolumeNameTaken(const QString& volumeKey, const QString& name);

/// Gives the volume of volumeKey the display name newName (index.name; t and the key stay).
/// Refuses a name another volume of the database has, or that the catalog tree shows for another
/// node (NameShownInCatalogTree), with the name-in-use message. An empty name changes nothing.
/// True when the name was stored.
bool RenameVolume(const QString& volumeKey, const QString& newName, Prompter& prompter);

/// Asks for the volume's description (label is the text its node shows) and stores the answer;
/// Cancel stores an empty description. Returns what was stored, std::nullopt when the volume
/// has no index row or the database failed (reported).
std::optional<QString> DescribeVolume(const QString& volumeKey, const QString& label, Prompter& prompter);

/// Asks "Delete this Volume?" and removes the index row and the tables (checksums included) in
/// one transaction; tables that are already missing are no obstacle. A database that cannot be
/// changed (read-only, locked) is reported and left as it was, and so is a volume of which
/// nothing is left to remove. True when something was removed.
bool DeleteVolume(const QString& volumeKey, Prompter& prompter);

/// Asks for a description of each item in turn and stores it (Cancel stores an empty one).
/// Items whose rows are gone are passed over. Returns the stored descriptions in list order.
std::vector<ItemDescription> DescribeItems(const std::vector<SelectedItem>& items, Prompter& prompter);

/// Asks "Delete all selected files/folders from <nodeLabel>?" and deletes the items (folders
/// with their subtrees, see above), each in its own transaction. True after Yes.
bool DeleteItems(const std::vector<SelectedItem>& items, const QString& nodeLabel, Prompter& prompter,
                 ProgressSink& sink);

/// The databases a volume can be moved into: every database of the data folder but the volume's
/// own file (exact file name), in listing order. Shows the no-targets message when there is none.
QStringList MoveTargetNames(const QString& volumeKey, Prompter& prompter);

/// Moves the volume of volumeKey into the database file targetPath. A volume with the same
/// table name there is replaced; the moved volume's name gets " (Copy k)" when another volume
/// of the target has it (ignoring letter case). The copy is made in one transaction of the
/// target and committed before the source volume is removed in a second one: a failure while
/// copying leaves the source as it was and the target without any part of the volume.
/// Does nothing while gBusy is set; sets it while running. True when the volume was copied.
bool MoveVolume(const QString& volumeKey, const QString& targetPath, Prompter& prompter, ProgressSink& sink);

} // namespace mendor
