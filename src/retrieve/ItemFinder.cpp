#include "retrieve/ItemFinder.h"

namespace mendor {

std::optional<MediumPath> LookUpItem(const DriveTable& drives, const QString& cataloguedPath, bool isFolder) {
    std::optional<MediumPath> path = MediumPathOf(drives, cataloguedPath);
    if (!path)
        return std::nullopt;
    const FileDescriptor folder = OpenContainingFolder(*path);
    if (!folder.isOpen())
        return std::nullopt;
    const bool there = isFolder ? FolderHasEntries(folder.get(), path->name())
                                : EntryKindAt(folder.get(), path->name()) != MediumEntryKind::Missing;
    if (!there)
        return std::nullopt;
    return path;
}

QString OnDrive(const QString& cataloguedPath, const QString& chosenDrive) {
    return chosenDrive.left(2) + cataloguedPath.mid(2);
}

ItemFinder::ItemFinder(std::function<DriveTable()> drives, DriveChooser& chooser)
    : drives_(std::move(drives)), chooser_(chooser) {}

std::optional<FoundItem> ItemFinder::find(QString sourcePath, bool isFolder) {
    for (;;) {
        if (std::optional<MediumPath> found = LookUpItem(drives_(), sourcePath, isFolder))
            return FoundItem{sourcePath, std::move(*found)};
        const QString chosenDrive = chooser_.chooseDrive(sourcePath);
        if (chosenDrive.size() < 2)
            return std::nullopt;
        sourcePath = OnDrive(sourcePath, chosenDrive);
    }
}

} // namespace mendor
