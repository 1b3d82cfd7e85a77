#pragma once
// The readers of hostile input, each driven by one byte string: libFuzzer feeds them in the fuzz
// build (scripts/fuzz.sh), and the test suite replays every saved input of fuzz/corpus/ through
// them. Each returns false when an invariant of its reader broke (a crash or a sanitizer report
// ends the run by itself).
#include <cstddef>
#include <cstdint>

namespace mendor::fuzz {

/// A ZIP archive listed as the scanner lists it: every member has a name, a folder that begins
/// with "\" and a size that is not negative.
bool ListZipArchive(const std::uint8_t* data, std::size_t size);

/// A descript.ion file: no more descriptions than lines can give, every line's name finds one.
bool ReadDescriptIon(const std::uint8_t* data, std::size_t size);

/// A settings file read key by key: values never longer than a read may return.
bool ReadProfileStrings(const std::uint8_t* data, std::size_t size);

/// A marker file in a volume's root: the identity it gives can name a volume, and nothing but
/// the marker is ever written.
bool IdentifyFromMarker(const std::uint8_t* data, std::size_t size);

} // namespace mendor::fuzz
