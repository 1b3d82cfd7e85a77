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

CountedVolume::CountedVolume(const QString& localRoot)
    : tree_(QFile::encodeName(localRoot)),
      traits_(tree_.rootOpened() ? VolumeTraits::of(tree_.rootFd()) : VolumeTraits()) {}

} // namespace mendor
