#pragma once
// A volume between its counting pass and its scan: the folder tree both walk, and the names the
// counting pass read in each folder, so that the scan lists no folder a second time and only
// reads each entry's metadata by its name.
#include "platform/DirectoryReader.h"
#include "platform/FolderTree.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <QString>
#include <string>
#include <vector>

namespace mendor {

/// What the counting pass read in one folder.
struct CountedFolder {
    CountedFolder() = default;
    /// Releases the records below one by one: a recursion as deep as the tree would overflow
    /// the stack.
    ~CountedFolder();
    CountedFolder(const CountedFolder&) = delete;
    CountedFolder& operator=(const CountedFolder&) = delete;

    bool listed = false; ///< false: not read to its end, the scan lists it itself
    std::string names;   ///< every entry's name followed by a NUL, in the file system's order
    struct SubFolder {
        FolderTree::FolderPointer folder;
        std::shared_ptr<CountedFolder> counted;
    };
    std::vector<SubFolder> subFolders; ///< in entry order
};

class CountedVolume {
public:
    /// The names kept at most, in bytes: beyond them (some 3 million entries) the scan lists
    /// the remaining folders itself, so that memory stays bounded on any volume.
    static constexpr std::size_t kNameBudget = std::size_t(64) << 20;

    /// Opens the root folder at localRoot, a path of this machine.
    explicit CountedVolume(const QString& localRoot, std::size_t nameBudget = kNameBudget);

    FolderTree& tree() { return tree_; }
    const VolumeTraits& traits() const { return traits_; }
    /// The root folder's record, filled in by the counting pass; nothing is listed in it before.
    const std::shared_ptr<CountedFolder>& root() const { return root_; }
    /// Takes bytes of the name budget for one folder's names; false when they do not fit. From
    /// any thread.
    bool takeNameBytes(std::size_t bytes);

private:
    FolderTree tree_;
    VolumeTraits traits_;
    std::shared_ptr<CountedFolder> root_ = std::make_shared<CountedFolder>();
    std::atomic<std::size_t> nameBytesLeft_;
};

} // namespace mendor
