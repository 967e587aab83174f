#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Helpers shared by the fuzz targets: a failed property aborts, so libFuzzer keeps the input
// and the replay tests fail.

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) ::spellchecker::fuzz::CheckFailed(#condition, __FILE__, __LINE__); \
  } while (false)

namespace spellchecker::fuzz {

[[noreturn]] void CheckFailed(const char* condition, const char* file, int line);

// Reference codecs written straight from the Unicode standard, independent of src/text on
// purpose: they are the oracles the text fuzzer checks src/text against, so keep them apart.
// DecodeUtf8 replaces each maximal ill-formed subpart with U+FFFD (the standard's recommended
// practice); EncodeUtf8 replaces each unpaired surrogate with U+FFFD.
std::u16string DecodeUtf8(const std::string& bytes);
std::string EncodeUtf8(const std::u16string& units);

bool IsWellFormedUtf8(const std::string& bytes);
bool IsWellFormedUtf16(const std::u16string& units);

// Cuts at the first NUL, as the conversions do.
std::string CutAtNul(const std::string& bytes);
std::u16string CutAtNul(const std::u16string& units);

// Reads bytes as little-endian UTF-16 units; an odd last byte is dropped.
std::u16string UnitsFromBytes(const uint8_t* data, size_t size);

}  // namespace spellchecker::fuzz
