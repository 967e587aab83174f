#pragma once

#include <cstdint>
#include <string>

#include "text/char_class.h"
#include "text/utf_convert.h"

namespace spellchecker {

// The Hunspell backend's words in UTF-16 text. A word starts at a letter and runs over letters,
// taking in an apostrophe that a letter follows; a NUL, punctuation or space ends it. Any other
// unit (a digit, say) makes its whole token, up to the next punctuation or space, no word. A
// word still open when `length` is reached is not a word. Calls on_word(start, end) for each
// word in text order, in units, end exclusive.
template <typename OnWord>
void ForEachWord(const char16_t* text, uint64_t length, OnWord&& on_word) {
  enum class State { kBetweenWords, kInWord, kInToken };
  State state = State::kBetweenWords;
  uint64_t start = 0;
  for (uint64_t i = 0; i < length; ++i) {
    const char16_t unit = text[i];
    switch (state) {
      case State::kBetweenWords:
        if (IsLetterUnit(unit)) {
          start = i;
          state = State::kInWord;
        } else if (!IsPunctuationUnit(unit) && !IsSpaceUnit(unit)) {
          state = State::kInToken;
        }
        break;
      case State::kInWord:
        if (unit == u'\'' && i + 1 < length && IsLetterUnit(text[i + 1])) {
          ++i;  // the apostrophe and the letter after it stay in the word
        } else if (unit == u'\0' || IsPunctuationUnit(unit) || IsSpaceUnit(unit)) {
          on_word(start, i);
          state = State::kBetweenWords;
        } else if (!IsLetterUnit(unit)) {
          state = State::kInToken;  // e.g. a digit: the whole token is not a word
        }
        break;
      case State::kInToken:
        if (IsPunctuationUnit(unit) || IsSpaceUnit(unit)) state = State::kBetweenWords;
        break;
    }
  }
}

// The UTF-8 form in which a split word goes to the engine, written into storage that is reused
// from word to word, so reading a word allocates at most once per reader.
class SplitWordReader {
 public:
  explicit SplitWordReader(Utf8Converter& converter) : converter(converter) {}

  // Longest UTF-8 form handed over; a longer word reads as the empty string, which the engine
  // accepts, so it is never reported.
  static constexpr int32_t kLongestWordBytes = 255;

  // Units [start, end) of `text`; valid until the next call.
  const std::string& Read(const char16_t* text, uint64_t start, uint64_t end) {
    // Every unit takes at least one UTF-8 byte, so a longer run cannot fit (and its count
    // might not fit the converter's 32-bit argument).
    if (end - start > static_cast<uint64_t>(kLongestWordBytes)) {
      scratch[0] = '\0';
    } else {
      converter.ConvertToUtf8(scratch, kLongestWordBytes, text + start,
                              static_cast<int32_t>(end - start));
    }
    word.assign(scratch);
    return word;
  }

 private:
  Utf8Converter& converter;
  char scratch[kLongestWordBytes + 1];  // room for the NUL
  std::string word;
};

}  // namespace spellchecker
