#pragma once
// Finding a catalogued item on its volume before it is copied or opened. The item is looked for
// where it was catalogued; while it is not there (the medium is not inserted, or sits in another
// drive now) the user is asked for the drive that holds it, and the look-up is tried again on
// that drive with the rest of the path kept. The drive chosen applies to this one item.
//
//     ItemFinder finder(DriveTable::load, chooser);
//     if (const auto found = finder.find(QStringLiteral("E:\\docs\\a.txt"), false))
//         ... found->medium ...
//     else
//         ... the user cancelled the drive prompt: the whole command ends here
#include "platform/DriveTable.h"
#include "retrieve/MediumPath.h"

#include <functional>
#include <optional>
#include <QString>

namespace mendor {

/// The drive prompt: the desktop program shows its "Choose Drive" dialog, the command-line tool
/// answers from its options, tests from a script.
class DriveChooser {
public:
    virtual ~DriveChooser() = default;

    /// Asked when the item at cataloguedPath is not found. Returns the chosen drive ("F:"), or the
    /// empty text when the user cancelled.
    virtual QString chooseDrive(const QString& cataloguedPath) = 0;
};

/// An item where it was found: its catalogued path on the drive that holds it now.
struct FoundItem {
    QString sourcePath;
    MediumPath medium;
};

/// True when the item is at the catalogued path. A file is there when any entry of its name is
/// (not followed); a folder only when it is a real folder with at least one entry, so an empty
/// folder is never found. An item inside a ZIP archive is never found: the archive is a file.
std::optional<MediumPath> LookUpItem(const DriveTable& drives, const QString& cataloguedPath, bool isFolder);

/// The same path on another drive: the first two characters (the drive) replaced by chosenDrive's.
QString OnDrive(const QString& cataloguedPath, const QString& chosenDrive);

class ItemFinder {
public:
    /// drives is read again before every look-up: a medium may have been mounted meanwhile.
    ItemFinder(std::function<DriveTable()> drives, DriveChooser& chooser);

    /// The item, asking for drives until it is found; nothing after a cancelled prompt.
    std::optional<FoundItem> find(QString sourcePath, bool isFolder);

private:
    std::function<DriveTable()> drives_;
    DriveChooser& chooser_;
};

} // namespace mendor
