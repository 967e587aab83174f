// The Hunspell backend's word splitter over any UTF-16 text and length. Each result is checked
// for its shape (text order, within the length, no overlap, starting on a letter) and against
// a model of the splitter whose words are judged one by one with IsMisspelled. The model is
// written apart from the backend's ForEachWord on purpose, so that it stays an independent
// oracle: keep it so.
#include <cstring>
#include <memory>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "fuzz_support.h"
#include "text/char_class.h"

namespace {

using spellchecker::HunspellBackend;
using spellchecker::IsLetterUnit;
using spellchecker::IsPunctuationUnit;
using spellchecker::IsSpaceUnit;
using spellchecker::WordRange;
using namespace spellchecker::fuzz;

// The backend's longest checked word (SplitWordReader::kLongestWordBytes), restated for the model.
constexpr size_t kLongestCheckedWordBytes = 255;

bool EndsToken(char16_t unit) { return IsPunctuationUnit(unit) || IsSpaceUnit(unit); }

// Every word the splitter should hand to the engine, in text order.
std::vector<WordRange> ModelWords(const char16_t* text, uint64_t length) {
  enum { kBetween, kWord, kToken } state = kBetween;
  std::vector<WordRange> words;
  uint64_t start = 0;
  for (uint64_t i = 0; i < length; ++i) {
    const char16_t unit = text[i];
    if (state == kBetween) {
      if (IsLetterUnit(unit)) {
        start = i;
        state = kWord;
      } else if (!EndsToken(unit)) {
        state = kToken;
      }
    } else if (state == kWord) {
      if (unit == u'\'' && i + 1 < length && IsLetterUnit(text[i + 1])) {
        ++i;
      } else if (unit == 0 || EndsToken(unit)) {
        words.push_back({start, i});
        state = kBetween;
      } else if (!IsLetterUnit(unit)) {
        state = kToken;
      }
    } else if (EndsToken(unit)) {
      state = kBetween;
    }
  }
  return words;
}

struct Dictionaries {
  HunspellBackend utf8;
  HunspellBackend legacy;  // ISO 8859-2: words outside the set are misspelled
  Dictionaries() {
    const std::string dir = std::string(SPELL_FIXTURES_DIR) + "/hunspell";
    FUZZ_CHECK(utf8.SetDictionary("en-TEST", dir));
    FUZZ_CHECK(legacy.SetDictionary("pl-TEST", dir));
  }
};

void CheckSplit(HunspellBackend& backend, const char16_t* text, uint64_t length) {
  const std::vector<WordRange> found = backend.FindMisspellings(text, length);
  uint64_t previous_end = 0;
  for (const WordRange& range : found) {
    FUZZ_CHECK(range.start >= previous_end);
    FUZZ_CHECK(range.start < range.end);
    // An open word is never checked, so a reported word ends before the length.
    FUZZ_CHECK(range.end < length);
    FUZZ_CHECK(IsLetterUnit(text[range.start]));
    FUZZ_CHECK(range.start == 0 || text[range.start - 1] == 0 || EndsToken(text[range.start - 1]));
    previous_end = range.end;
  }

  std::vector<WordRange> expected;
  for (const WordRange& word : ModelWords(text, length)) {
    const std::string utf8 = EncodeUtf8(std::u16string(text + word.start, text + word.end));
    if (utf8.size() <= kLongestCheckedWordBytes && backend.IsMisspelled(utf8))
      expected.push_back(word);
  }
  FUZZ_CHECK(found == expected);
}

}  // namespace

// Layout: byte 0 picks the dictionary and how the rest is read (UTF-16LE units, or UTF-8
// decoded, which gives ASCII-rich text); bytes 1-2 pick the length passed, at most the text's.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Dictionaries dictionaries;
  if (size < 3) return 0;
  const uint8_t mode = data[0];
  const size_t selector = data[1] | (data[2] << 8);
  data += 3;
  size -= 3;
  const std::u16string units =
      (mode & 1) ? DecodeUtf8(std::string(data, data + size)) : UnitsFromBytes(data, size);
  const uint64_t length = selector % (units.size() + 1);
  // Exactly `length` units on the heap: a read past the length is caught.
  auto text = std::make_unique<char16_t[]>(length);
  if (length) std::memcpy(text.get(), units.data(), length * sizeof(char16_t));
  CheckSplit((mode & 2) ? dictionaries.legacy : dictionaries.utf8, text.get(), length);
  return 0;
}
