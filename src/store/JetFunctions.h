#pragma once
// The SQL functions through which translated search conditions keep the meaning they have in the
// catalog's query language. Every connection that Database opens has them.
//
//   jet_like(text, pattern)  1 when text matches the pattern (store/JetPattern.h), 0 when not,
//                            NULL when either is NULL; a malformed pattern is an error
//   jet_fold(text)           the text case-folded, so that equal texts compare and group
//                            without regard to case
struct sqlite3;

namespace mendor {

inline constexpr char kJetLikeFunction[] = "jet_like";
inline constexpr char kJetFoldFunction[] = "jet_fold";

/// Registers both functions on a connection; false when the engine refused.
bool RegisterJetFunctions(sqlite3* db);

} // namespace mendor
