#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace spellchecker {

// Where a word sits in UTF-16 text, in code units.
struct WordSpan {
  size_t start;
  size_t length;
};

// Positions of a character in a word, as the spelling service's word-character test takes them.
enum WordPosition : int {
  kWordStart = 0,
  kWordMiddle = 1,
  kWordEnd = 2,
};

constexpr char32_t kNoCodePoint = 0xFFFFFFFF;

// Decodes the code point at `index`: a surrogate pair counts as one, an unpaired surrogate comes
// back as kNoCodePoint. Sets `units` to the code units taken (1 or 2).
inline char32_t DecodeUtf16At(const char16_t* text, size_t length, size_t index, size_t* units) {
  const char16_t unit = text[index];
  *units = 1;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    if (index + 1 < length && text[index + 1] >= 0xDC00 && text[index + 1] <= 0xDFFF) {
      *units = 2;
      return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
             (static_cast<char32_t>(text[index + 1]) - 0xDC00);
    }
    return kNoCodePoint;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    return kNoCodePoint;
  }
  return unit;
}

inline bool IsApostrophe(char32_t code_point) {
  return code_point == U'\'' || code_point == U'\u2019';
}

// Finds the next word at or after `*position` and moves `*position` past it; false when no word
// is left. A word starts with a character valid at the start of a word, runs over characters
// valid in the middle, and ends at the last character valid at the end; leading apostrophes are
// not part of it. Unpaired surrogates and NUL always separate words, so a word is well-formed
// text without NUL. `is_word_character(code_point, WordPosition)` is the service's test.
template <typename IsWordCharacter>
bool NextWord(const char16_t* text, size_t length, size_t* position,
              IsWordCharacter&& is_word_character, WordSpan* span) {
  auto usable = [&](char32_t code_point, WordPosition where) {
    return code_point != kNoCodePoint && code_point != 0 && is_word_character(code_point, where);
  };
  size_t index = *position;
  while (index < length) {
    size_t units = 1;
    const char32_t first = DecodeUtf16At(text, length, index, &units);
    if (!usable(first, kWordStart)) {
      index += units;
      continue;
    }
    size_t start = index;
    size_t run_end = index + units;
    while (run_end < length) {
      const char32_t next = DecodeUtf16At(text, length, run_end, &units);
      if (!usable(next, kWordMiddle)) {
        break;
      }
      run_end += units;
    }
    *position = run_end;

    // Apostrophes open quotations rather than words; whatever follows them must itself be
    // able to start one.
    while (start < run_end) {
      const char32_t code_point = DecodeUtf16At(text, length, start, &units);
      if (!IsApostrophe(code_point) && usable(code_point, kWordStart)) {
        break;
      }
      start += units;
    }
    size_t end = run_end;
    while (end > start) {
      const size_t last = end - 1;
      const bool pair = last > start && text[last] >= 0xDC00 && text[last] <= 0xDFFF &&
                        text[last - 1] >= 0xD800 && text[last - 1] <= 0xDBFF;
      const size_t last_start = pair ? last - 1 : last;
      const char32_t code_point = DecodeUtf16At(text, length, last_start, &units);
      if (usable(code_point, kWordEnd)) {
        break;
      }
      end = last_start;
    }
    if (end > start) {
      span->start = start;
      span->length = end - start;
      return true;
    }
    index = run_end;
  }
  *position = length;
  return false;
}

}  // namespace spellchecker
