#pragma once
// The copy of one catalogued item from its medium into a folder of this machine: a file, a
// symbolic link, or a folder with everything in it. Nothing on the medium is followed or opened
// but real folders and regular files, each relative to its open folder:
//   - a symbolic link is copied as a link with the same target text, never followed (as a copy
//     that keeps everything does; it opens nothing on the medium);
//   - FIFOs, sockets and devices are not copied and are listed as failures;
//   - a folder on another file system (something mounted inside) is created empty, since the
//     catalog did not look into it either; a folder that repeats one above it (a bind mount)
//     and folders nested deeper than kMaxCopyDepth are listed as failures.
// Every file is written under a temporary name in its destination folder and gets its real name
// once complete and on the disk (see CommitQueue); a cancelled or failed file leaves nothing.
// Permissions (without set-user/group-ID bits, plus the owner's write permission so that a copy
// from a CD can be edited) and modification and access times are kept where the destination's
// file system allows. An existing file is replaced only after the observer agreed; an existing
// folder is merged into.
#include "retrieve/CopyObserver.h"
#include "retrieve/MediumPath.h"

#include <QByteArray>

namespace mendor {

inline constexpr int kMaxCopyDepth = 1000;

/// Copies source into destinationFolder (a local folder, taken as given); runs on the calling
/// thread and reports through observer.
CopyReport CopyItem(const MediumPath& source, const QByteArray& destinationFolder, CopyObserver& observer);

} // namespace mendor
