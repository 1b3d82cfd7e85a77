#include "catalog/CountedVolume.h"

#include <QFile>

namespace mendor {

CountedFolder::~CountedFolder() {
    std::vector<std::shared_ptr<CountedFolder>> below;
    for (SubFolder& sub : subFolders)
        below.push_back(std::move(sub.counted));
    while (!below.empty()) {
        std::shared_ptr<CountedFolder> next = std::move(below.back());
        below.pop_back();
        if (next && next.use_count() == 1) {
            for (SubFolder& sub : next->subFolders)
                below.push_back(std::move(sub.counted));
        }
    }
}

CountedVolume::CountedVolume(const QString& localRoot, std::size_t nameBudget)
    : tree_(QFile::encodeName(localRoot)),
      traits_(tree_.rootOpened() ? VolumeTraits::of(tree_.rootFd()) : VolumeTraits()),
      nameBytesLeft_(nameBudget) {}

bool CountedVolume::takeNameBytes(std::size_t bytes) {
    std::size_t left = nameBytesLeft_.load(std::memory_order_relaxed);
    do {
        if (bytes > left)
            return false;
    } while (!nameBytesLeft_.compare_exchange_weak(left, left - bytes, std::memory_order_relaxed));
    return true;
}

} // namespace mendor
