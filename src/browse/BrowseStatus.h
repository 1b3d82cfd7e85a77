#pragma once
// The five status bar texts that the browse views write (panels 1 to 5).
#include "browse/CatalogQueries.h"

#include <array>
#include <optional>
#include <QString>

namespace mendor {

using StatusTexts = std::array<QString, 5>;

/// A selected volume or folder: "<capacity> media size", " <used> used ", " <free> free ",
/// " <n> dirs ", " <n> files ". Blank panels when the figures could not be read.
StatusTexts VolumeSelectionStatus(const std::optional<VolumeFigures>& figures);

/// The volume list of a database: "1 volume active (... bytes on disk)" and the totals.
StatusTexts VolumeListStatus(const CatalogTotals& totals, std::int64_t fileBytes);

/// A database without volumes: "No volumes active (empty database)" and four blanks.
StatusTexts EmptyDatabaseStatus();

/// The database list: "n databases active" and the grand totals.
StatusTexts DatabaseListStatus(std::int64_t databaseCount, const CatalogTotals& totals);

} // namespace mendor
