#pragma once
// The program's pictures, drawn as vectors so that they are sharp at every size and screen
// scale and need no icon theme: the tree and list images ("closed", "open", "cd", "leaf", ...),
// the drive images (the volume type keys) and the toolbar images ("catalog", "newdb",
// "compact", "options", "Export", "help").
#include <QIcon>
#include <QStringList>

namespace mendor {

class ImageLibrary {
public:
    /// The 14 keys of the tree and list images, in their fixed order.
    static QStringList treeImageKeys();

    /// The toolbar keys in button order.
    static QStringList toolbarImageKeys();

    /// Every key this library can draw.
    static bool hasImage(const QString& key);

    /// The picture of a key; a null icon for a key the library does not know.
    static QIcon icon(const QString& key);
};

} // namespace mendor
