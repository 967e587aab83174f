// The Linux spell-service layer's Check and Suggest over any UTF-16 text, with Enchant's
// Hunspell provider and Debian's en_US dictionary. Checked on every input: error spans lie in
// the text in order without overlap and hold well-formed words; each reported word is also
// wrong on its own; suggestions are well-formed; every object and string is released.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/com/com.h"
#include "platform/com/com_testing.h"

namespace {

using namespace spellchecker::fuzz;
namespace com_testing = spellchecker::com_testing;

// Longer texts only go through Check: suggesting for long garbage costs far more per byte.
constexpr size_t kMaxSuggestUnits = 48;

ISpellChecker* checker = nullptr;

// Enchant reads its provider ordering from here, not from the user's configuration.
void IsolateEnchant() {
  static std::string dir;
  char pattern[] = "/tmp/spell-fuzz-enchant-XXXXXX";
  FUZZ_CHECK(mkdtemp(pattern) != nullptr);
  dir = pattern;
  std::FILE* ordering = std::fopen((dir + "/enchant.ordering").c_str(), "w");
  FUZZ_CHECK(ordering != nullptr);
  std::fputs("*:hunspell\n", ordering);
  std::fclose(ordering);
  setenv("ENCHANT_CONFIG_DIR", dir.c_str(), 1);
  std::atexit([] {
    std::remove((dir + "/enchant.ordering").c_str());
    rmdir(dir.c_str());
  });
}

void MakeChecker() {
  IsolateEnchant();
  FUZZ_CHECK(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  ISpellCheckerFactory* factory = nullptr;
  FUZZ_CHECK(
      SUCCEEDED(CoCreateInstance(CLSID_SpellCheckerFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_ISpellCheckerFactory, reinterpret_cast<void**>(&factory))));
  FUZZ_CHECK(SUCCEEDED(factory->CreateSpellChecker(u"en-US", &checker)));
  factory->Release();
  // Loads the dictionary now, so that the live-object count below is steady.
  IEnumSpellingError* errors = nullptr;
  FUZZ_CHECK(SUCCEEDED(checker->Check(u"helo", &errors)));
  errors->Release();
}

struct Span {
  ULONG start;
  ULONG length;
};

std::vector<Span> Check(const std::u16string& text) {
  std::vector<Span> spans;
  IEnumSpellingError* errors = nullptr;
  FUZZ_CHECK(checker->Check(text.c_str(), &errors) == S_OK && errors != nullptr);
  ISpellingError* error = nullptr;
  while (errors->Next(&error) == S_OK) {
    Span span{};
    FUZZ_CHECK(error != nullptr);
    FUZZ_CHECK(SUCCEEDED(error->get_StartIndex(&span.start)));
    FUZZ_CHECK(SUCCEEDED(error->get_Length(&span.length)));
    error->Release();
    spans.push_back(span);
    FUZZ_CHECK(spans.size() <= text.size());
  }
  errors->Release();
  return spans;
}

// Answers the suggestions, or nothing with `correct` set when the word is spelled right.
std::vector<std::u16string> Suggest(const std::u16string& word, HRESULT* result) {
  std::vector<std::u16string> suggestions;
  IEnumString* list = nullptr;
  *result = checker->Suggest(word.c_str(), &list);
  if (FAILED(*result)) {
    FUZZ_CHECK(list == nullptr);
    return suggestions;
  }
  FUZZ_CHECK(list != nullptr);
  LPOLESTR entry = nullptr;
  while (list->Next(1, &entry, nullptr) == S_OK) {
    FUZZ_CHECK(entry != nullptr);
    suggestions.emplace_back(entry);
    CoTaskMemFree(entry);
    FUZZ_CHECK(suggestions.size() < 1000);
  }
  list->Release();
  if (*result == S_FALSE) FUZZ_CHECK(suggestions.empty());
  return suggestions;
}

void CheckText(const std::u16string& input) {
  // The service reads the text up to its first NUL unit.
  const std::u16string text = CutAtNul(input);
  const std::vector<Span> spans = Check(input);
  size_t previous_end = 0;
  for (const Span& span : spans) {
    FUZZ_CHECK(span.length > 0);
    FUZZ_CHECK(span.start >= previous_end);
    FUZZ_CHECK(static_cast<size_t>(span.start) + span.length <= text.size());
    previous_end = span.start + span.length;
    const std::u16string word = text.substr(span.start, span.length);
    FUZZ_CHECK(IsWellFormedUtf16(word));
    // A reported word is wrong on its own too.
    const std::vector<Span> alone = Check(word);
    FUZZ_CHECK(alone.size() == 1 && alone[0].start == 0 && alone[0].length == word.size());
    // Suggestions cost milliseconds each: the first reported word stands for the rest.
    if (&span == &spans.front() && word.size() <= kMaxSuggestUnits) {
      HRESULT result = S_OK;
      Suggest(word, &result);
      FUZZ_CHECK(result == S_OK);
    }
  }
  if (text.size() <= kMaxSuggestUnits) {
    HRESULT result = S_OK;
    for (const std::u16string& suggestion : Suggest(input, &result)) {
      FUZZ_CHECK(!suggestion.empty());
      FUZZ_CHECK(IsWellFormedUtf16(suggestion));
    }
    if (text.empty()) FUZZ_CHECK(FAILED(result));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  MakeChecker();
  return 0;
}

// Byte 0 picks how the rest is read: UTF-16LE units, or UTF-8 decoded (ASCII-rich text).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int64_t live_before = com_testing::LiveObjects();
  const std::u16string text = (data[0] & 1) ? DecodeUtf8(std::string(data + 1, data + size))
                                            : UnitsFromBytes(data + 1, size - 1);
  CheckText(text);
  FUZZ_CHECK(com_testing::LiveObjects() == live_before);
  return 0;
}
