#pragma once
// Writes a condition tree (search/JetCondition.h) as an SQLite expression over a volume table:
// every field quoted as an identifier, every text as a quoted literal, like through jet_like and
// text comparisons through jet_fold (store/JetFunctions.h), dates as stored seconds.
#include "search/JetCondition.h"

#include <optional>
#include <QString>

namespace mendor {

/// Nothing when the tree holds a malformed like pattern, which the engine would refuse.
std::optional<QString> WriteSqliteCondition(const ConditionNode& condition);

/// ParseJetCondition, then WriteSqliteCondition: the SQLite form of a condition, or nothing
/// when it does not translate (a search then finds nothing with it).
std::optional<QString> TranslateCondition(const QString& jetCondition);

} // namespace mendor
