// The Hunspell backend's operations on any byte strings (ill-formed UTF-8, NUL bytes, very
// long words), against a UTF-8 and an ISO 8859-2 dictionary. Each input is a script of
// operations run on a freshly loaded dictionary, so every failure replays on its own.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "fuzz_support.h"

namespace {

using spellchecker::HunspellBackend;
using namespace spellchecker::fuzz;

// Words of only these letters are plain entries in both fixtures: adding one makes it
// correct, removing it then makes it wrong again.
bool IsPlainWord(const std::string& word) {
  if (word.empty() || word.size() > 64) return false;
  for (char c : word) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

// Whether `word` holds `sentinel` in any letter case.
bool Mentions(const std::string& word, const std::string& sentinel) {
  std::string lower = word;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(sentinel) != std::string::npos;
}

// Reads operations off the input: one byte for the operation, one or two for the length
// (0xFF announces a 16-bit length, for very long words), then the word's bytes.
class Script {
 public:
  Script(const uint8_t* data, size_t size) : data(data), size(size) {}

  bool Next(uint8_t* operation, std::string* word) {
    if (position >= size) return false;
    *operation = data[position++];
    size_t length = position < size ? data[position++] : 0;
    if (length == 0xFF && position + 1 < size) {
      length = data[position] | (data[position + 1] << 8);
      position += 2;
    }
    length = std::min(length, size - position);
    word->assign(reinterpret_cast<const char*>(data + position), length);
    position += length;
    return true;
  }

 private:
  const uint8_t* data;
  size_t size;
  size_t position = 0;
};

void CheckNoDictionary(HunspellBackend& backend, const std::string& word) {
  backend.Add(word);
  backend.Remove(word);
  FUZZ_CHECK(!backend.IsMisspelled(word));
  FUZZ_CHECK(backend.GetCorrectionsForMisspelling(word).empty());
  FUZZ_CHECK(backend.GetAvailableDictionaries(word).empty());
  FUZZ_CHECK(backend.IsHunspell());
}

void CheckCorrections(HunspellBackend& backend, bool legacy, const std::string& word) {
  // Suggestions cost far more per byte; the engine caps its own work on long words anyway.
  const std::string limited = word.substr(0, 120);
  for (const std::string& correction : backend.GetCorrectionsForMisspelling(limited)) {
    FUZZ_CHECK(correction.find('\0') == std::string::npos);
    // Suggestions from a legacy set are converted strictly, so they are always well-formed;
    // from a UTF-8 dictionary, well-formed input gives well-formed suggestions.
    if (legacy || IsWellFormedUtf8(CutAtNul(limited))) {
      FUZZ_CHECK(IsWellFormedUtf8(correction));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string dir = std::string(SPELL_FIXTURES_DIR) + "/hunspell";
  const bool legacy = data[0] & 1;
  const std::string good = legacy ? "kot" : "hello";
  HunspellBackend backend;
  Script script(data + 1, size - 1);
  uint8_t operation = 0;
  std::string word;
  bool first = true;
  bool sentinel_touched = false;

  FUZZ_CHECK(backend.SetDictionary(legacy ? "pl_TEST" : "en-TEST", dir));
  while (script.Next(&operation, &word)) {
    if (first) {
      HunspellBackend empty;
      CheckNoDictionary(empty, word);
      first = false;
    }
    const std::string cut = CutAtNul(word);
    sentinel_touched |= Mentions(cut, good) || Mentions(cut, "xyzzy");
    switch (operation % 6) {
      case 0:
        // The engine sees a word only up to its first NUL byte.
        FUZZ_CHECK(backend.IsMisspelled(word) == backend.IsMisspelled(cut));
        break;
      case 1:
        CheckCorrections(backend, legacy, word);
        break;
      case 2:
        backend.Add(word);
        if (IsPlainWord(cut)) FUZZ_CHECK(!backend.IsMisspelled(cut));
        break;
      case 3:
        backend.Remove(word);
        break;
      case 4:
        backend.Add(word);
        backend.Remove(word);
        if (IsPlainWord(cut)) FUZZ_CHECK(backend.IsMisspelled(cut));
        break;
      case 5: {
        // The same bytes as UTF-16 text through the word splitter.
        const std::u16string text =
            UnitsFromBytes(reinterpret_cast<const uint8_t*>(word.data()), word.size());
        for (const auto& range : backend.FindMisspellings(text.data(), text.size())) {
          FUZZ_CHECK(range.start < range.end && range.end < text.size());
        }
        break;
      }
    }
  }
  // Whatever came before, the instance still answers for words no operation touched.
  if (!sentinel_touched) {
    FUZZ_CHECK(!backend.IsMisspelled(good));
    FUZZ_CHECK(backend.IsMisspelled("xyzzy"));
  }
  // A reload drops every run-time change.
  FUZZ_CHECK(backend.SetDictionary(legacy ? "pl-TEST" : "en_TEST", dir));
  FUZZ_CHECK(backend.IsMisspelled("xyzzy"));
  FUZZ_CHECK(!backend.IsMisspelled(good));
  return 0;
}
