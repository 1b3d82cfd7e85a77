#pragma once
// The attribute letters stored in the attrib field of a volume's tables.
#include <cstdint>
#include <QString>

namespace mendor {

/// The letters of the DOS attribute bits, in their fixed order: for a folder row D A R H S C t,
/// for a file or archive row A R H S N c t. No bit gives the empty text.
QString AttributeLetters(std::uint32_t attributes, bool folderRow);

} // namespace mendor
