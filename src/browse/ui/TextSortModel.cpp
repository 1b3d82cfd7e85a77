#include "browse/ui/TextSortModel.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace mendor {

namespace {

// Texts are compared without regard to case: their case-folded forms are compared. The first
// nine characters of each folded text, packed three to a number, decide most comparisons of a
// sort without touching the texts (a million rows take some twenty million comparisons); texts
// that the nine characters hold whole are equal when those are.
constexpr int kPrefixCharacters = 9;
constexpr int kBitsPerCharacter = 21;

struct SortKey {
    std::array<std::uint64_t, 3> prefix{};
    int row = 0;
    bool whole = false;
};

SortKey keyOf(const QString& folded, int row) {
    SortKey key;
    key.row = row;
    qsizetype at = 0;
    for (int i = 0; i < kPrefixCharacters && at < folded.size(); ++i) {
        char32_t c = folded.at(at++).unicode();
        if (QChar::isHighSurrogate(c) && at < folded.size() && folded.at(at).isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), folded.at(at++).unicode());
        // Zero is left for "no character": a shorter text sorts first.
        key.prefix[std::size_t(i / 3)] |= (std::uint64_t(c) + 1) << (kBitsPerCharacter * (2 - i % 3));
    }
    key.whole = at == folded.size();
    return key;
}

} // namespace

void TextSortModel::sortByText(int column, bool descending) {
    const int count = rowCount();
    if (count < 2)
        return;
    const auto size = static_cast<std::size_t>(count);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    // Each text is made and folded once, not once per comparison.
    std::vector<QString> texts(size);
    std::vector<SortKey> keys(size);
    for (int row = 0; row < count; ++row) {
        texts[std::size_t(row)] = sortText(row, column).toCaseFolded();
        keys[std::size_t(row)] = keyOf(texts[std::size_t(row)], row);
    }
    std::stable_sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        if (a.prefix != b.prefix)
            return descending ? a.prefix > b.prefix : a.prefix < b.prefix;
        if (a.whole && b.whole)
            return false;
        const int c =
            QString::compare(texts[std::size_t(a.row)], texts[std::size_t(b.row)], Qt::CaseSensitive);
        return descending ? c > 0 : c < 0;
    });
    texts = {};

    std::vector<int> order(size);
    std::vector<int> newPosition(size);
    for (int position = 0; position < count; ++position) {
        order[std::size_t(position)] = keys[std::size_t(position)].row;
        newPosition[std::size_t(order[std::size_t(position)])] = position;
    }
    keys = {};
    reorderRows(order);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newPosition[std::size_t(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace mendor
