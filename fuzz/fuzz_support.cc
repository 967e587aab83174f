#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace spellchecker::fuzz {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendCodePoint(std::u16string& out, uint32_t code_point) {
  if (code_point < 0x10000) {
    out.push_back(static_cast<char16_t>(code_point));
  } else {
    code_point -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, uint32_t code_point) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

}  // namespace

void CheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}

// Table 3-7 of the standard: the lead byte fixes the length and the range of the second byte;
// later bytes are plain continuations. A sequence broken off early is one maximal subpart.
std::u16string DecodeUtf8(const std::string& bytes) {
  std::u16string out;
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    uint32_t code_point = lead & (0x7F >> length);
    size_t taken = 1;
    bool complete = true;
    for (; taken < length; ++taken) {
      if (i + taken >= n) {
        complete = false;
        break;
      }
      const unsigned char byte = static_cast<unsigned char>(bytes[i + taken]);
      const bool fits = taken == 1 ? (byte >= low && byte <= high) : IsContinuation(byte);
      if (!fits) {
        complete = false;
        break;
      }
      code_point = (code_point << 6) | (byte & 0x3F);
    }
    if (complete) {
      AppendCodePoint(out, code_point);
    } else {
      out.push_back(kReplacement);
    }
    i += taken;
  }
  return out;
}

std::string EncodeUtf8(const std::u16string& units) {
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

bool IsWellFormedUtf8(const std::string& bytes) {
  const std::u16string decoded = DecodeUtf8(bytes);
  // A decode without replacements re-encodes to the same bytes; a genuine U+FFFD in the input
  // also re-encodes identically, so this is exact.
  return EncodeUtf8(decoded) == bytes;
}

bool IsWellFormedUtf16(const std::u16string& units) {
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

std::string CutAtNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

std::u16string CutAtNul(const std::u16string& units) { return units.substr(0, units.find(u'\0')); }

std::u16string UnitsFromBytes(const uint8_t* data, size_t size) {
  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  return units;
}

}  // namespace spellchecker::fuzz
