#pragma once
// What a search covers, as chosen in the volume chooser: all volumes, one database, or one
// volume; and the volumes a normal search then reads, in the chooser's order.
#include "browse/CatalogQueries.h"

#include <optional>
#include <QList>
#include <QString>

namespace mendor {

struct SearchScope {
    bool allVolumes = true;
    QString databaseFile;              ///< with ".mdb"; when not all volumes
    std::optional<QString> volumeName; ///< one volume of that database; none: the whole database
};

/// One volume to search.
struct SearchTarget {
    QString databaseFile;
    QString volumeName;
};

/// The chooser's walk: each database in order, each of its volumes in order, taken when "ALL
/// Volumes", its database or the volume itself is chosen.
QList<SearchTarget> SearchTargets(const QList<ChooserDatabase>& chooser, const SearchScope& scope);

/// The scope that a text names: "ALL", a database's name (the file name without ".mdb") or
/// "database/volume" (names compared without regard to case when no exact spelling matches).
/// Nothing when no database or volume of the chooser has that name.
std::optional<SearchScope> ScopeFromText(const QList<ChooserDatabase>& chooser, const QString& text);

} // namespace mendor
