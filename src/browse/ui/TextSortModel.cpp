#include "browse/ui/TextSortModel.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>

namespace mendor {

namespace {

// Texts are compared without regard to case: their case-folded forms are compared, character by
// character. The first sixteen UTF-16 units of each folded text, packed four to a number, decide
// most comparisons of a sort without touching the texts; texts that the sixteen units hold whole
// are equal when those are. Only the rows whose sixteen units tie and go on have their texts
// compared, a group of such rows at a time: a million rows never hold a million folded texts.
constexpr int kPrefixUnits = 16;
constexpr int kBitsPerUnit = 16;
constexpr int kUnitsPerWord = 4;

struct SortKey {
    std::array<std::uint64_t, kPrefixUnits / kUnitsPerWord> prefix{};
    int row = 0;
    bool whole = false;
};

// Most texts are ASCII, whose folded form is the lower case: they are folded unit by unit as they
// are read, without a copy. Folding leaves no upper-case ASCII letter in any text.
QString foldedUnlessAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return text.toCaseFolded();
    }
    return text;
}

// A unit of a text from foldedUnlessAscii, as a number that orders the texts by their characters'
// code points: the surrogates of the characters beyond 16 bits come after every other unit.
std::uint64_t orderedUnit(char16_t unit) {
    if (unit >= u'A' && unit <= u'Z')
        return unit + (u'a' - u'A');
    if (unit >= 0xD800)
        return unit >= 0xE000 ? unit - 0x800 : unit + 0x2000;
    return unit;
}

SortKey keyOf(const QString& folded, int row) {
    SortKey key;
    key.row = row;
    const qsizetype units = std::min<qsizetype>(folded.size(), kPrefixUnits);
    // Zero stands for "no unit": a shorter text sorts first. A text with a U+0000 of its own is
    // compared whole.
    key.whole = folded.size() <= kPrefixUnits;
    for (qsizetype i = 0; i < units; ++i) {
        const std::uint64_t unit = orderedUnit(folded.at(i).unicode());
        key.whole = key.whole && unit != 0;
        key.prefix[std::size_t(i / kUnitsPerWord)] |=
            unit << (kBitsPerUnit * (kUnitsPerWord - 1 - i % kUnitsPerWord));
    }
    return key;
}

bool textLess(const QString& a, const QString& b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const std::uint64_t x = orderedUnit(a.at(i).unicode());
        const std::uint64_t y = orderedUnit(b.at(i).unicode());
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

} // namespace

std::vector<int> TextSortModel::readingOrder() const {
    std::vector<int> rows(static_cast<std::size_t>(rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

void TextSortModel::sortByText(int column, bool descending) {
    const int count = rowCount();
    if (count < 2)
        return;
    const auto size = static_cast<std::size_t>(count);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    // Rows with equal texts keep their order: the row decides last.
    std::vector<SortKey> keys;
    keys.reserve(size);
    for (const int row : readingOrder())
        keys.push_back(keyOf(foldedUnlessAscii(sortText(row, column)), row));
    std::sort(keys.begin(), keys.end(), [descending](const SortKey& a, const SortKey& b) {
        for (std::size_t i = 0; i < a.prefix.size(); ++i) {
            if (a.prefix[i] != b.prefix[i])
                return descending ? a.prefix[i] > b.prefix[i] : a.prefix[i] < b.prefix[i];
        }
        return a.row < b.row;
    });
    // Each group of equal prefixes is ordered by the whole texts, unless all of them are whole
    // (and so equal). The group is in row order already: a stable sort keeps equal texts so.
    std::vector<std::pair<QString, int>> texts;
    for (std::size_t first = 0; first < size;) {
        std::size_t end = first + 1;
        bool allWhole = keys[first].whole;
        while (end < size && keys[end].prefix == keys[first].prefix) {
            allWhole = allWhole && keys[end].whole;
            ++end;
        }
        if (!allWhole) {
            texts.clear();
            for (std::size_t at = first; at < end; ++at)
                texts.emplace_back(foldedUnlessAscii(sortText(keys[at].row, column)), keys[at].row);
            std::stable_sort(texts.begin(), texts.end(), [descending](const auto& a, const auto& b) {
                return descending ? textLess(b.first, a.first) : textLess(a.first, b.first);
            });
            for (std::size_t at = first; at < end; ++at)
                keys[at].row = texts[at - first].second;
        }
        first = end;
    }
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
