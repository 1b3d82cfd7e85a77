#include "search/SearchScope.h"

namespace mendor {

namespace {

// The exact spelling first, then one that differs only in case.
template <typename List, typename NameOf>
auto findByName(const List& list, const QString& name, NameOf nameOf) {
    auto found =
        std::find_if(list.begin(), list.end(), [&](const auto& item) { return nameOf(item) == name; });
    if (found == list.end())
        found = std::find_if(list.begin(), list.end(), [&](const auto& item) {
            return nameOf(item).compare(name, Qt::CaseInsensitive) == 0;
        });
    return found;
}

} // namespace

QList<SearchTarget> SearchTargets(const QList<ChooserDatabase>& chooser, const SearchScope& scope) {
    QList<SearchTarget> targets;
    for (const ChooserDatabase& database : chooser) {
        const bool databaseChosen =
            scope.allVolumes || (database.fileName == scope.databaseFile && !scope.volumeName);
        for (const ChooserVolume& volume : database.volumes) {
            const bool volumeChosen = !scope.allVolumes && database.fileName == scope.databaseFile &&
                                      scope.volumeName && *scope.volumeName == volume.name;
            if (databaseChosen || volumeChosen)
                targets.append({database.fileName, volume.name});
        }
    }
    return targets;
}

std::optional<SearchScope> ScopeFromText(const QList<ChooserDatabase>& chooser, const QString& text) {
    if (text == QLatin1String("ALL"))
        return SearchScope{};
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    const QString databaseName = slash < 0 ? text : text.left(slash);
    const auto database =
        findByName(chooser, databaseName, [](const ChooserDatabase& d) { return d.fileName.chopped(4); });
    if (database == chooser.end())
        return std::nullopt;
    SearchScope scope{false, database->fileName, std::nullopt};
    if (slash < 0)
        return scope;
    const auto volume =
        findByName(database->volumes, text.mid(slash + 1), [](const ChooserVolume& v) { return v.name; });
    if (volume == database->volumes.end())
        return std::nullopt;
    scope.volumeName = volume->name;
    return scope;
}

} // namespace mendor
