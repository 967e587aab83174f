// Converter for platforms without the Windows code-page functions. It gives their results with
// CP_UTF8 and no flags: U+FFFD for each maximal ill-formed subsequence (Unicode's "maximal
// subpart" practice) and for each unpaired surrogate.

#include <algorithm>
#include <cstring>
#include <string>

#include "text/utf8_encoder.h"
#include "text/utf_convert.h"
#include "text/utf_convert_limits.h"

namespace spellchecker {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Decodes [in, end) into `out`, which must hold end - in units: no byte yields more than one
// unit (a 4-byte sequence gives two, an ill-formed subsequence of any length one). Answers the
// end of what was written.
char16_t* DecodeUtf8(const unsigned char* in, const unsigned char* end, char16_t* out) {
  while (in < end) {
    const unsigned char lead = *in++;
    if (lead < 0x80) {
      *out++ = lead;
      continue;
    }
    // Length and the allowed range of the second byte, which excludes overlong forms, encoded
    // surrogates and values past U+10FFFF. Later bytes are always 80-BF.
    int trail;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t code;
    if (lead >= 0xC2 && lead <= 0xDF) {
      trail = 1;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      trail = 2;
      code = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      trail = 3;
      code = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      *out++ = kReplacement;
      continue;
    }
    // A byte that breaks the sequence is not consumed: it starts the next one.
    for (; trail > 0; --trail) {
      if (in == end || *in < low || *in > high) break;
      code = (code << 6) | (*in++ & 0x3F);
      low = 0x80;
      high = 0xBF;
    }
    if (trail > 0) {
      *out++ = kReplacement;
    } else if (code >= 0x10000) {
      code -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(code);
    }
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& utf8) {
  if (utf8.empty() || Utf16ScratchUnits(utf8.size()) == 0) return {};
  const auto* begin = reinterpret_cast<const unsigned char*>(utf8.data());
  const void* nul = std::memchr(begin, 0, utf8.size());
  const auto* end = nul ? static_cast<const unsigned char*>(nul) : begin + utf8.size();
  std::u16string result(static_cast<size_t>(end - begin), u'\0');
  result.resize(static_cast<size_t>(DecodeUtf8(begin, end, &result[0]) - result.data()));
  return result;
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
  if (utf16.empty() || Utf8ScratchBytes(utf16.size()) == 0) return {};
  // Only a NUL unit yields a NUL byte, so cutting the source gives the same result.
  const size_t units = std::min(utf16.find(u'\0'), utf16.size());
  std::string result(3 * units, '\0');
  char* written =
      EncodeUtf8(utf16.data(), utf16.data() + units, &result[0], result.data() + result.size());
  result.resize(static_cast<size_t>(written - result.data()));
  return result;
}

bool Utf8Converter::ConvertToUtf8(char* destination, int32_t capacity, const char16_t* source,
                                  int32_t count) {
  if (destination == nullptr) return true;
  char* end = nullptr;
  if (capacity > 0 && count > 0) {
    end = EncodeUtf8(source, source + count, destination, destination + capacity);
  }
  *(end ? end : destination) = '\0';
  return true;
}

}  // namespace spellchecker
