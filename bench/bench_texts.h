#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "text/char_class.h"

namespace spellchecker {

// The benchmarks' text: every regular file of `dir`, in name order, each followed by a newline.
// Reading by name keeps the text, and so the measured words, the same on every run.
inline std::string ReadTexts(const std::string& dir) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.is_regular_file() && !entry.is_symlink()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::string text;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    text += '\n';
  }
  return text;
}

// The baselines' splitter: the backend's word rules written out plainly. Calls on_word(start,
// end) for each word, in UTF-16 units; a word still open at `length` is not reported.
template <typename OnWord>
void SplitWords(const char16_t* text, uint64_t length, OnWord on_word) {
  enum { kBetween, kWord, kToken } state = kBetween;
  uint64_t start = 0;
  for (uint64_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    const bool separator = c == 0 || IsPunctuationUnit(c) || IsSpaceUnit(c);
    if (state == kBetween) {
      if (IsLetterUnit(c)) {
        start = i;
        state = kWord;
      } else if (!separator) {
        state = kToken;
      }
    } else if (state == kWord) {
      if (c == u'\'' && i + 1 < length && IsLetterUnit(text[i + 1])) {
        ++i;
      } else if (separator) {
        on_word(start, i);
        state = kBetween;
      } else if (!IsLetterUnit(c)) {
        state = kToken;
      }
    } else if (separator) {
      state = kBetween;
    }
  }
}

}  // namespace spellchecker
