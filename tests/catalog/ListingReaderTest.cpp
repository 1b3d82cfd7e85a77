#include "catalog/ListingReader.h"

#include "shell/Flags.h"

#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace mendor;

namespace {

// One folder as a plain readdir walk sees it: the names in the file system's order.
using Names = std::vector<QByteArray>;

// The listings a scan must receive, computed by the simplest possible walk: pre-order, a
// folder's sub-folders in entry order, dot-folders left out.
void referenceWalk(const QByteArray& path, std::vector<Names>& out) {
    DIR* dir = opendir(path.constData());
    ASSERT_NE(dir, nullptr) << path.constData();
    Names names;
    Names subfolders;
    while (const dirent* e = readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        names.push_back(name);
        struct stat info {};
        ASSERT_EQ(lstat((path + '/' + name).constData(), &info), 0);
        if (S_ISDIR(info.st_mode) && !name.startsWith('.'))
            subfolders.push_back(name);
    }
    closedir(dir);
    out.push_back(names);
    for (const QByteArray& name : subfolders)
        referenceWalk(path + '/' + name, out);
}

class ListingReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        gAbort = kFlagClear;
        ASSERT_TRUE(dir_.isValid());
        root_ = QFile::encodeName(dir_.path());
    }
    void TearDown() override { gAbort = kFlagClear; }

    void folder(const QByteArray& relative) const {
        ASSERT_EQ(mkdir((root_ + '/' + relative).constData(), 0755), 0) << relative.constData();
    }

    void file(const QByteArray& relative) const {
        const int fd = ::open((root_ + '/' + relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << relative.constData();
        ::close(fd);
    }

    /// A tree of width^levels folders below the root, each with a few files.
    void tree(const QByteArray& at, int width, int levels) const {
        for (int i = 0; i < width; ++i) {
            const QByteArray sub = at + (at.isEmpty() ? "" : "/") + "d" + QByteArray::number(i);
            folder(sub);
            for (int f = 0; f < 3; ++f)
                file(sub + "/f" + QByteArray::number(f));
            if (levels > 1)
                tree(sub, width, levels - 1);
        }
    }

    QTemporaryDir dir_;
    QByteArray root_;
};

Names namesOf(const FolderListing& listing) {
    Names names;
    for (const DirectoryEntry& e : listing.entries.entries())
        names.push_back(listing.entries.nameOf(e).toByteArray());
    return names;
}

VolumeTraits traitsOf(const FolderTree& tree) {
    return VolumeTraits::of(tree.rootFd());
}

} // namespace

// A consumer slower than the readers lets them get as far ahead as they may, so the hand-over
// waits on both sides; the listings must still arrive one per folder, in pre-order, each with
// its own entries. With room for two open folders only, the readers open the others again by
// name and arrive at the same listings.
TEST_F(ListingReaderTest, ListingsArriveInPreOrderWhileTheReadersWaitForRoom) {
    tree("", 4, 3);
    folder(".hidden");
    file(".hidden/secret");
    file("top.txt");
    folder("d0/empty");
    std::vector<Names> expected;
    referenceWalk(root_, expected);
    ASSERT_GT(expected.size(), 60u);

    for (const std::size_t openLimit : {FolderTree::kOpenLimit, std::size_t(1)}) {
        FolderTree tree(root_, openLimit);
        ListingReader listings(tree, traitsOf(tree), {});
        std::vector<Names> seen;
        FolderListing listing;
        while (listings.next(listing)) {
            EXPECT_TRUE(listing.readable);
            // Beyond the limit only while the two reading threads open sub-folders through them.
            EXPECT_LE(tree.openCount(), openLimit + 2);
            seen.push_back(namesOf(listing));
            if (seen.size() < 20)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(seen, expected) << openLimit;
    }
}

// The reading threads stop at an abort, and when the writing side goes away mid-walk, instead
// of walking the rest of the volume.
TEST_F(ListingReaderTest, AbortOrAnEarlyEndStopsTheReadingThread) {
    tree("", 15, 2);
    const std::size_t folders = 1 + 15 + 15 * 15;
    FolderTree tree(root_);
    {
        ListingReader listings(tree, traitsOf(tree), {});
        FolderListing listing;
        ASSERT_TRUE(listings.next(listing));
        gAbort = kFlagSet;
        std::size_t received = 1;
        while (listings.next(listing))
            ++received;
        EXPECT_LT(received, folders);
    }
    gAbort = kFlagClear;
    // Left after its first listing: the destructor must not wait for the whole walk (a reader
    // that ignored the request would wait for room for ever).
    ListingReader listings(tree, traitsOf(tree), {});
    FolderListing listing;
    ASSERT_TRUE(listings.next(listing));
}
