// Properties of the UTF-8/UTF-16 conversions on any input, checked against reference codecs
// written independently from the Unicode standard.
#include <algorithm>
#include <cstring>
#include <memory>

#include "fuzz_support.h"
#include "text/utf_convert.h"

namespace {

using spellchecker::Utf16ToUtf8;
using spellchecker::Utf8Converter;
using spellchecker::Utf8ToUtf16;
using namespace spellchecker::fuzz;

// Every capacity is tried on runs up to this many units; longer runs get the edge capacities.
constexpr size_t kSweepUnits = 96;

void CheckUtf8ToUtf16(const std::string& bytes) {
  const std::u16string units = Utf8ToUtf16(bytes);
  const std::string prefix = CutAtNul(bytes);
  FUZZ_CHECK(units.find(u'\0') == std::u16string::npos);
  FUZZ_CHECK(IsWellFormedUtf16(units));
  FUZZ_CHECK(units == DecodeUtf8(prefix));
  if (IsWellFormedUtf8(prefix)) {
    FUZZ_CHECK(Utf16ToUtf8(units) == prefix);
  }
  // Replacement makes the result a fixed point of the round trip.
  FUZZ_CHECK(Utf8ToUtf16(Utf16ToUtf8(units)) == units);
}

void CheckUtf16ToUtf8(const std::u16string& units) {
  const std::string bytes = Utf16ToUtf8(units);
  const std::u16string prefix = CutAtNul(units);
  FUZZ_CHECK(bytes.find('\0') == std::string::npos);
  FUZZ_CHECK(IsWellFormedUtf8(bytes));
  FUZZ_CHECK(bytes == EncodeUtf8(prefix));
  if (IsWellFormedUtf16(prefix)) {
    FUZZ_CHECK(Utf8ToUtf16(bytes) == prefix);
  }
}

// The destination is exactly capacity + 1 bytes on the heap, so any write past it is caught.
void CheckConvertAt(const std::u16string& units, int32_t capacity, const std::string& expected) {
  Utf8Converter converter;
  auto destination = std::make_unique<char[]>(static_cast<size_t>(capacity) + 1);
  std::memset(destination.get(), 0x5A, static_cast<size_t>(capacity) + 1);
  const bool answer = converter.ConvertToUtf8(destination.get(), capacity, units.data(),
                                              static_cast<int32_t>(units.size()));
  FUZZ_CHECK(answer);
  if (!expected.empty() && expected.size() <= static_cast<size_t>(capacity)) {
    // Fits, NUL units included: the whole form, then the terminating NUL right after it.
    FUZZ_CHECK(std::memcmp(destination.get(), expected.data(), expected.size()) == 0);
    FUZZ_CHECK(destination[expected.size()] == '\0');
  } else {
    FUZZ_CHECK(destination[0] == '\0');
  }
}

void CheckConvertToUtf8(const std::u16string& units) {
  const std::u16string run = units.substr(0, kSweepUnits);
  const std::string expected = EncodeUtf8(run);  // NUL units become NUL bytes
  for (size_t capacity = 0; capacity <= expected.size() + 2; ++capacity) {
    CheckConvertAt(run, static_cast<int32_t>(capacity), expected);
  }
  if (units.size() > run.size()) {
    const std::string whole = EncodeUtf8(units);
    for (size_t capacity : {whole.size() - 1, whole.size(), whole.size() + 1, size_t{255}}) {
      CheckConvertAt(units, static_cast<int32_t>(capacity), whole);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckUtf8ToUtf16(bytes);
  const std::u16string units = UnitsFromBytes(data, size);
  CheckUtf16ToUtf8(units);
  CheckConvertToUtf8(units);
  // The same bytes read as UTF-8 give text with non-BMP characters and NULs more often.
  const std::u16string decoded = DecodeUtf8(bytes);
  CheckUtf16ToUtf8(decoded);
  CheckConvertToUtf8(decoded);
  return 0;
}
