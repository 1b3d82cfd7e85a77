#pragma once
// The SQL functions through which translated search conditions keep the meaning they have in the
// catalog's query language. Every connection that Database opens has them.
//
//   jet_like(text, pattern)  1 when text matches the pattern (store/JetPattern.h), 0 when not,
//                            NULL when either is NULL; a malformed pattern is an error
//   jet_fold(text)           the text case-folded, so that equal texts compare and group
//                            without regard to case
//
// and one that lets a statement pass over rows it does not want without reading their columns:
//
//   bit_at(bits, n)          1 when bit n of the BLOB bits is set (bit 0 the lowest of the first
//                            byte), 0 when it is clear or n lies outside; NULL when either is NULL
struct sqlite3;

namespace mendor {

inline constexpr char kJetLikeFunction[] = "jet_like";
inline constexpr char kJetFoldFunction[] = "jet_fold";
inline constexpr char kBitAtFunction[] = "bit_at";

/// Registers the functions on a connection; false when the engine refused.
bool RegisterJetFunctions(sqlite3* db);

} // namespace mendor
