#include "search/ui/SearchColumns.h"

#include "browse/ColumnSort.h"
#include "search/ui/ResultList.h"
#include "shell/Options.h"

namespace mendor {

namespace {

constexpr std::int16_t kUnsetWidthReplacement = 100;

void replaceUnsetWidths() {
    for (int column = 1; column <= 11; ++column) {
        if (gSearchColumnWidths[column] < 0)
            gSearchColumnWidths[column] = kUnsetWidthReplacement;
    }
    for (int mode = 1; mode <= 4; ++mode) {
        for (int column = 1; column <= 10; ++column) {
            if (gColumnWidths[mode][column] < 0)
                gColumnWidths[mode][column] = kUnsetWidthReplacement;
        }
    }
}

QList<int> storedWidths() {
    QList<int> widths;
    for (int column = 1; column <= SearchResultCaptions().size(); ++column)
        widths.append(gSearchColumnWidths[column]);
    return widths;
}

} // namespace

QStringList SearchResultCaptions() {
    return {QStringLiteral("Name"),       QStringLiteral("Size"),
            QStringLiteral("Location"),   QStringLiteral("Volume"),
            QStringLiteral("Type"),       QStringLiteral("Created"),
            QStringLiteral("Modified"),   QStringLiteral("Last Accessed"),
            QStringLiteral("Attributes"), QStringLiteral("Description or Path (in a ZIP)")};
}

void SetSearchColumns(ResultList& searchView) {
    replaceUnsetWidths();
    QStringList captions = SearchResultCaptions();
    searchView.sort().reset(0);
    captions[0] = searchView.sort().marked(captions[0]);
    searchView.setColumns(captions, storedWidths());
    searchView.applySort();
}

void SetCoverColumns(ResultList& hider) {
    hider.sort().turnOff();
    QStringList captions = SearchResultCaptions();
    captions[0] = kAscendingMarker + captions[0];
    hider.setColumns(captions, storedWidths());
}

QList<double> LiveColumnWidths(const ResultList& list) {
    QList<double> widths;
    for (const int width : list.liveColumnWidths())
        widths.append(width);
    return widths;
}

} // namespace mendor
