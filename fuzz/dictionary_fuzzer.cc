// Damaged and hostile dictionaries through the Hunspell backend: each input is an affix file,
// a word list and a script of operations (check, suggest, add, remove, reload, destroy), run on
// a fresh backend. Nothing may crash, trip a sanitizer or throw out of the backend.
//
// Input: AFF "\0\0\0" DIC "\0\0\0" OPERATIONS, where OPERATIONS is one per line: a letter and
// the word that follows it up to the end of the line ('s' check, 'g' suggest, 'a' add, 'r'
// remove, 'b' add then check; 'L' reloads the dictionary, 'D' destroys the backend and loads
// the dictionary into a new one). A missing part is empty.
//
// Seeds (corpus/dictionary): upstream_* are dictionaries of Hunspell's own test suite with words
// from their .good and .wrong lists; cut_* are cuts of Debian's en_US and pl_PL; hostile_* are
// the dictionaries of test/fixtures/hunspell/hostile with the operations that once failed.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "fuzz_support.h"

namespace {

using spellchecker::HunspellBackend;

// Suggestions cost far more per byte than checks; the engine caps its own work on long words.
constexpr size_t kMaxSuggestedBytes = 100;
// A compounding dictionary takes up to half a second per suggestion under the sanitizers, so
// an input of a few hundred lines would run into the fuzzer's timeout without any fault.
constexpr int kMaxSuggestionsPerInput = 16;

const std::string kTag = "xx_FUZZ";
std::filesystem::path work_dir;

void RemoveWorkDir() {
  std::error_code ignored;
  std::filesystem::remove_all(work_dir, ignored);
}

// Splits off the part up to the next separator; the rest stays in `input`.
std::string TakePart(std::string* input) {
  static const std::string kSeparator("\0\0\0", 3);
  const size_t end = input->find(kSeparator);
  std::string part = input->substr(0, end);
  input->erase(0, end == std::string::npos ? input->size() : end + kSeparator.size());
  return part;
}

void Write(const std::string& name, const std::string& contents) {
  std::ofstream(work_dir / name, std::ios::binary | std::ios::trunc) << contents;
}

std::unique_ptr<HunspellBackend> Load() {
  auto backend = std::make_unique<HunspellBackend>();
  // The word list exists, so the load counts as done whatever the engine made of it.
  FUZZ_CHECK(backend->SetDictionary(kTag, work_dir.string()));
  return backend;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "dictionary-fuzz-XXXXXX").string();
  if (!mkdtemp(&pattern[0])) std::abort();
  work_dir = pattern;
  std::atexit(RemoveWorkDir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  Write(kTag + ".aff", TakePart(&input));
  Write(kTag + ".dic", TakePart(&input));
  const std::string& operations = input;

  auto backend = Load();
  int suggestions_left = kMaxSuggestionsPerInput;
  auto suggest = [&](const std::string& word) {
    std::vector<std::string> suggestions;
    if (suggestions_left-- > 0) {
      suggestions = backend->GetCorrectionsForMisspelling(word.substr(0, kMaxSuggestedBytes));
    }
    return suggestions;
  };
  size_t position = 0;
  while (position < operations.size()) {
    size_t end = operations.find('\n', position);
    if (end == std::string::npos) end = operations.size();
    const std::string line = operations.substr(position, end - position);
    position = end + 1;
    if (line.empty()) continue;
    const std::string word = line.substr(1);
    switch (line[0]) {
      case 's':
        backend->IsMisspelled(word);
        break;
      case 'g':
        for (const std::string& suggestion : suggest(word)) {
          FUZZ_CHECK(suggestion.find('\0') == std::string::npos);
        }
        break;
      case 'a':
        backend->Add(word);
        break;
      case 'r':
        backend->Remove(word);
        break;
      case 'b':
        backend->Add(word);
        backend->IsMisspelled(word);
        break;
      case 'L':
        FUZZ_CHECK(backend->SetDictionary(kTag, work_dir.string()));
        break;
      case 'D':
        backend = Load();
        break;
      default:
        backend->IsMisspelled(word);
        suggest(word);
        break;
    }
  }
  return 0;
}
