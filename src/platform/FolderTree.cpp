#include "platform/FolderTree.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace mendor {

namespace {

/// Whether fd is a folder on device and, when inode is not 0, that very folder.
bool isExpectedFolder(int fd, std::uint64_t device, std::uint64_t inode) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_dev == device &&
           (inode == 0 || info.st_ino == inode);
}

} // namespace

FolderTree::Folder::~Folder() {
    FolderPointer up = std::move(parent);
    while (up && up.use_count() == 1) {
        FolderPointer next = std::move(up->parent);
        up = std::move(next);
    }
}

bool FolderTree::Folder::comesBefore(const Folder& other) const {
    const Folder* mine = this;
    const Folder* theirs = &other;
    while (mine->depth > theirs->depth)
        mine = mine->parent.get();
    if (mine == theirs)
        return false; // other is this folder or above it
    while (theirs->depth > mine->depth)
        theirs = theirs->parent.get();
    if (mine == theirs)
        return true; // this folder is above other
    while (mine->parent != theirs->parent) {
        mine = mine->parent.get();
        theirs = theirs->parent.get();
    }
    return mine->rank < theirs->rank;
}

bool FolderTree::Shallowest::operator()(const FolderPointer& a, const FolderPointer& b) const {
    return a->depth != b->depth ? a->depth < b->depth : a.get() < b.get();
}

FolderTree::FolderTree(const QByteArray& localRoot, std::size_t openLimit)
    : openLimit_(std::max<std::size_t>(openLimit, 1)), root_(std::make_shared<Folder>()) {
    root_->fd = OpenLocalFolder(localRoot);
    struct stat info {};
    if (root_->fd.isOpen() && ::fstat(root_->fd.get(), &info) == 0) {
        rootDevice_ = info.st_dev;
        root_->inode = info.st_ino;
    } else {
        root_->fd.reset();
    }
}

FolderTree::~FolderTree() {
    const std::lock_guard lock(mutex_);
    held_.clear();
}

bool FolderTree::rootOpened() const {
    return root_->fd.isOpen();
}

int FolderTree::rootFd() const {
    return root_->fd.get();
}

FolderTree::FolderPointer FolderTree::child(const FolderPointer& parent, QByteArrayView name,
                                            std::uint64_t inode) {
    auto folder = std::make_shared<Folder>();
    folder->parent = parent;
    folder->name = name.toByteArray();
    folder->inode = inode;
    folder->depth = parent->depth + 1;
    return folder;
}

FileDescriptor FolderTree::open(const FolderPointer& folder, bool* onVolume) {
    bool here = false;
    FileDescriptor fd;
    // The root's own descriptor only ever serves to open others; reading needs another.
    if (!folder->parent) {
        here = rootOpened();
        if (here)
            fd = OpenFolderAt(rootFd(), ".");
    } else {
        fd = openChild(folder, onVolume != nullptr, here);
    }
    if (onVolume)
        *onVolume = here;
    return fd;
}

FileDescriptor FolderTree::openChild(const FolderPointer& folder, bool lookWhenClosed, bool& here) {
    Folder& parent = *folder->parent;
    int parentFd = -1;
    {
        const std::lock_guard lock(mutex_);
        if (!parent.fd.isOpen() && !reopen(folder->parent)) {
            release(folder->parent);
            return {};
        }
        ++parent.users;
        parentFd = parent.fd.get();
    }
    FileDescriptor fd = OpenFolderAt(parentFd, folder->name.constData());
    struct stat info {};
    // Never onto another file system: a mount may have appeared since the parent was listed.
    if (fd.isOpen())
        here = ::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_dev == rootDevice_;
    else if (lookWhenClosed)
        here = ::fstatat(parentFd, folder->name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISDIR(info.st_mode) && info.st_dev == rootDevice_;
    if (!here)
        fd.reset();
    const std::lock_guard lock(mutex_);
    --parent.users;
    release(folder->parent);
    return fd;
}

void FolderTree::keep(const FolderPointer& folder, FileDescriptor fd, std::size_t waitingChildren) {
    if (!folder->parent || waitingChildren == 0)
        return;
    const std::lock_guard lock(mutex_);
    folder->waitingChildren = waitingChildren;
    hold(folder, std::move(fd));
    enforceLimit();
}

std::size_t FolderTree::openCount() const {
    const std::lock_guard lock(mutex_);
    return held_.size();
}

bool FolderTree::reopen(const FolderPointer& folder) {
    // Down from the nearest open ancestor (the root at the latest), each level checked to be the
    // folder that was listed. The levels on the way that still have sub-folders waiting keep
    // their descriptors: the walk comes back up through them next.
    std::vector<FolderPointer> down;
    for (FolderPointer f = folder; !f->fd.isOpen(); f = f->parent)
        down.push_back(f);
    int base = down.back()->parent->fd.get();
    FileDescriptor previous;
    for (auto it = down.rbegin(); it != down.rend(); ++it) {
        Folder& level = **it;
        FileDescriptor fd = OpenFolderAt(base, level.name.constData());
        if (!fd.isOpen() || !isExpectedFolder(fd.get(), rootDevice_, level.inode))
            return false;
        base = fd.get();
        if (level.waitingChildren > 0 || *it == folder)
            hold(*it, std::move(fd));
        else
            previous = std::move(fd);
    }
    return true;
}

void FolderTree::hold(const FolderPointer& folder, FileDescriptor fd) {
    folder->fd = std::move(fd);
    held_.insert(folder);
}

void FolderTree::release(const FolderPointer& folder) {
    if (!folder->parent)
        return;
    if (folder->waitingChildren > 0)
        --folder->waitingChildren;
    if (folder->waitingChildren == 0 && folder->users == 0 && folder->fd.isOpen()) {
        held_.erase(folder);
        folder->fd.reset();
    }
    enforceLimit();
}

void FolderTree::enforceLimit() {
    for (auto it = held_.begin(); held_.size() > openLimit_ && it != held_.end();) {
        if ((*it)->users > 0) {
            ++it;
            continue;
        }
        (*it)->fd.reset();
        it = held_.erase(it);
    }
}

} // namespace mendor
