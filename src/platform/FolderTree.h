#pragma once
// The folders of one walk below a root. A folder knows its parent and its own name's bytes,
// nothing more: paths are never built, so their length does not matter and a walk of any depth
// needs memory in proportion to its depth, not to its square. Every folder is opened by name
// from its open parent, without following a link, and only on the root's file system.
//
// A folder's descriptor stays open while sub-folders of it wait to be opened, so that none of
// them needs a path. A very deep tree with waiting sub-folders on every level would hold a
// descriptor per level: past a limit the shallowest ones (needed last in a depth-first walk) are
// closed, and opened again by name from the nearest open ancestor when their turn comes, checked
// to be the very folders that were listed.
//
// Every member may be called from several threads.
#include "platform/MediumFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <QByteArray>
#include <QByteArrayView>
#include <set>
#include <vector>

namespace mendor {

class FolderTree {
public:
    struct Folder;
    using FolderPointer = std::shared_ptr<Folder>;

    /// Folders whose descriptors are kept open at most, the root's not counted.
    static constexpr std::size_t kOpenLimit = 256;

    /// Opens the root folder at localPath, a path of this machine.
    explicit FolderTree(const QByteArray& localRoot, std::size_t openLimit = kOpenLimit);
    ~FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    /// False when the root could not be opened; the walk then has nothing to read.
    bool rootOpened() const;
    /// The root's descriptor, open as long as the tree.
    int rootFd() const;
    std::uint64_t rootDevice() const { return rootDevice_; }
    FolderPointer root() const { return root_; }

    /// A sub-folder that parent's listing showed (with its inode, or 0 when it is not to be
    /// checked), to be opened later.
    FolderPointer child(const FolderPointer& parent, QByteArrayView name, std::uint64_t inode);

    /// Opens folder to read it; not open when it cannot be (gone, no permission, no longer the
    /// folder that was listed, or on another file system now). For the root, a descriptor of its
    /// own. Each sub-folder is opened once: its parent's descriptor is closed once the last one
    /// of them has been. onVolume, when given, tells whether the folder is one on the root's
    /// file system, opened or not.
    FileDescriptor open(const FolderPointer& folder, bool* onVolume = nullptr);

    /// Keeps the descriptor a folder was read through while waitingChildren sub-folders of it
    /// (made with child()) wait to be opened; closes it when there are none.
    void keep(const FolderPointer& folder, FileDescriptor fd, std::size_t waitingChildren);

    /// Descriptors kept open now, the root's not counted.
    std::size_t openCount() const;

private:
    FileDescriptor openChild(const FolderPointer& folder, bool lookWhenClosed, bool& here);
    bool reopen(const FolderPointer& folder);
    void hold(const FolderPointer& folder, FileDescriptor fd);
    void release(const FolderPointer& folder);
    void enforceLimit();

    const std::size_t openLimit_;
    std::uint64_t rootDevice_ = 0;
    FolderPointer root_;

    mutable std::mutex mutex_;
    struct Shallowest {
        bool operator()(const FolderPointer& a, const FolderPointer& b) const;
    };
    std::set<FolderPointer, Shallowest> held_; ///< folders with an open descriptor, the root's aside
};

struct FolderTree::Folder {
    Folder() = default;
    /// Releases a chain of parents one by one: a recursion as deep as the tree would overflow
    /// the stack.
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    FolderPointer parent; ///< null for the root
    QByteArray name;      ///< in the parent; empty for the root
    std::uint64_t inode = 0;
    std::size_t depth = 0;
    std::uint32_t rank = 0; ///< its place among its parent's sub-folders, where a walk keeps an order

    /// Whether this folder comes before other in a walk that goes down each folder's sub-folders
    /// in rank order before it goes on to the next one (a folder before everything below it).
    /// Takes as many steps as the folders are deep; no memory of its own.
    bool comesBefore(const Folder& other) const;
    // The tree's own, under its mutex:
    FileDescriptor fd;
    std::size_t waitingChildren = 0;
    int users = 0; ///< openings of sub-folders through fd in progress
};

} // namespace mendor
