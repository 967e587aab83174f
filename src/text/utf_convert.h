#pragma once

#include <cstdint>
#include <string>

namespace spellchecker {

// UTF-8 and UTF-16 as the Unicode standard defines them. Each maximal ill-formed UTF-8
// subsequence and each unpaired surrogate becomes U+FFFD. No conversion reports an error:
// failure gives the empty result. A source too long for one platform call (more than
// 2^30 - 2 bytes for Utf8ToUtf16, 2^29 - 2 units for Utf16ToUtf8) fails.

// Converts the bytes before the first NUL byte.
std::u16string Utf8ToUtf16(const std::string& utf8);

// Converts every unit; the result is cut at the first NUL byte it holds.
std::string Utf16ToUtf8(const std::u16string& utf16);

// Writes UTF-16 runs as UTF-8 into a caller's buffer, allocating nothing.
class Utf8Converter {
 public:
  // Writes the NUL-terminated UTF-8 form of `count` units at `source` into `destination`, which
  // must hold capacity + 1 bytes (at least one). NUL units are written as NUL bytes. When the
  // form needs more than `capacity` bytes, or capacity or count is not positive, writes the
  // empty string; never writes past destination[capacity]. Always answers true.
  bool ConvertToUtf8(char* destination, int32_t capacity, const char16_t* source, int32_t count);
};

}  // namespace spellchecker
