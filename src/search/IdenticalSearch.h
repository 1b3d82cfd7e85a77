#pragma once
// Identical files: the files of the chosen volumes, across databases, whose content checksum and
// size are the same. Only volumes catalogued with checksums take part (their t_sums table); a
// volume without one, or one that cannot be read, contributes nothing.
//
// The checksums and sizes of every chosen volume are read first (a few dozen bytes a file), then
// the full rows of the files that have a twin, one volume at a time. The search runs on the
// caller's thread and polls gAbort as it reads and between groups.
#include "catalog/FileChecksum.h"
#include "search/ResultRow.h"
#include "search/SearchRun.h"
#include "search/SearchScope.h"

#include <cstdint>
#include <QList>
#include <QString>

namespace mendor {

struct IdenticalGroup {
    Checksum checksum{};
    std::int64_t size = 0;
    /// Two or more, in the order of the chosen volumes, by ID within a volume.
    QList<ResultRow> files;
};

class IdenticalObserver {
public:
    virtual ~IdenticalObserver() = default;
    /// One group; the observer may take its rows.
    virtual void groupFound(IdenticalGroup& group) = 0;
    virtual void status(const QString& text) = 0;
};

struct IdenticalOutcome {
    SearchEnd end = SearchEnd::Completed;
    std::int64_t groups = 0;
    std::int64_t files = 0;
    /// What keeping one copy of each group would free: the size times the other copies, summed
    /// (held at the largest value rather than wrapping).
    std::int64_t freedBytes = 0;
    std::int64_t volumesWithChecksums = 0;
    QString status; ///< the final status text
};

/// Groups come largest size first, then by checksum.
IdenticalOutcome RunIdenticalSearch(const QList<SearchTarget>& targets, const QString& dataPath,
                                    IdenticalObserver& observer);

} // namespace mendor
