#include "platform/FolderTree.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

using namespace mendor;

// Walking order: a folder before everything below it, sub-folders by rank, a subtree before the
// parent's next sibling, whatever the depths compared.
TEST(FolderTreeTest, ComesBeforeFollowsWalkingOrder) {
    QTemporaryDir dir;
    FolderTree tree(QFile::encodeName(dir.path()));
    const auto child = [&](const FolderTree::FolderPointer& parent, std::uint32_t rank) {
        FolderTree::FolderPointer folder = tree.child(parent, "x", 0);
        folder->rank = rank;
        return folder;
    };
    const auto a = child(tree.root(), 1);
    const auto a1 = child(a, 1);
    const auto a1x = child(a1, 1);
    const auto a1xy = child(a1x, 1);
    const auto a2 = child(a, 2);
    const auto b = child(tree.root(), 2);
    // In walking order.
    const std::vector<FolderTree::FolderPointer> walk = {tree.root(), a, a1, a1x, a1xy, a2, b};
    for (std::size_t i = 0; i < walk.size(); ++i)
        for (std::size_t j = 0; j < walk.size(); ++j)
            EXPECT_EQ(walk[i]->comesBefore(*walk[j]), i < j) << i << " " << j;
}
