#pragma once

#include <climits>
#include <cstddef>

namespace spellchecker {

// Scratch sizes of the whole-string conversions. Each converts in one platform call whose
// counts and capacities are ints, so a size that does not fit an int answers 0: the source is
// too long and the conversion gives the empty result. Both converters share these limits so
// that they agree on every input.

// UTF-16 units for a UTF-8 source of `bytes` bytes (a byte never yields more than one unit).
constexpr size_t Utf16ScratchUnits(size_t bytes) {
  return bytes <= (static_cast<size_t>(INT_MAX) - 2) / 2 ? 2 * bytes + 2 : 0;
}

// UTF-8 bytes for a UTF-16 source of `units` units (a unit never yields more than 3 bytes).
constexpr size_t Utf8ScratchBytes(size_t units) {
  return units <= (static_cast<size_t>(INT_MAX) - 4) / 4 ? 4 * units + 4 : 0;
}

}  // namespace spellchecker
