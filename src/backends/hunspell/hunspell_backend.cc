#include "backends/hunspell/hunspell_backend.h"

#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "backends/hunspell/word_splitter.h"

namespace spellchecker {
namespace {

// A loaded engine takes 4.4 to 9 times the size of its files on the heap (measured with
// Debian's de_DE, en_US, fr and pl_PL); the lower end keeps the estimate from overstating.
constexpr uint64_t kEngineBytesPerFileByte = 4;

// 0 for a file that cannot be measured: the estimate only guides the host's collector.
uint64_t FileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<uint64_t>(size);
}

// Runs one call into the engine and gives `fallback` if it throws. A damaged dictionary can make
// the engine throw (Hunspell 1.7.1 threw std::out_of_range from suggest for a word list holding
// a NUL byte), and so can running out of memory inside it; nothing of that may reach the host,
// and the engine stays usable for the next call.
template <typename Result, typename Call>
Result Guarded(Result fallback, Call&& call) noexcept {
  try {
    return call();
  } catch (...) {
    return fallback;
  }
}

// The engine sees a word only up to its first NUL byte.
std::string UpToNul(const std::string& word) { return std::string(word.c_str()); }

// The list form of suggest and free_list is marked deprecated in Hunspell 1.7 but gives the
// count up front, so the result is reserved once.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#endif

// Holds one list from the engine's suggest and releases it once, even when copying throws.
class SuggestionList {
 public:
  // A suggest that throws counts as no suggestions.
  SuggestionList(Hunspell* engine, const std::string& word)
      : engine(engine), count(Guarded(0, [&] { return engine->suggest(&list, word.c_str()); })) {
    if (count <= 0) count = 0;
  }
  SuggestionList(const SuggestionList&) = delete;
  SuggestionList& operator=(const SuggestionList&) = delete;
  ~SuggestionList() { engine->free_list(&list, count); }

  int size() const { return count; }
  const char* operator[](int i) const { return list[i]; }

 private:
  Hunspell* engine;
  char** list = nullptr;
  int count;
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#elif defined(_MSC_VER)
#pragma warning(pop)
#endif

}  // namespace

HunspellBackend::HunspellBackend(Caching caching) {
  if (caching == Caching::kOn) {
    verdict_cache = std::make_unique<VerdictCache>();
    suggestion_cache = std::make_unique<SuggestionCache>();
  }
}

HunspellBackend::~HunspellBackend() = default;

bool HunspellBackend::SetDictionary(const std::string& language, const std::string& directory) {
  // Whatever follows, the previous dictionary and its run-time changes are gone.
  ClearCaches();
  engine.reset();
  encoding.reset();
  dictionary_memory = 0;

  std::string tag = language;
  std::replace(tag.begin(), tag.end(), '-', '_');
  const std::string base = directory + "/" + tag;
  const std::string affix_path = base + ".aff";
  const std::string word_list_path = base + ".dic";

  // A NUL would cut the path short, naming another file than the caller's.
  if (language.find('\0') != std::string::npos || directory.find('\0') != std::string::npos) {
    return false;
  }
  std::FILE* word_list = std::fopen(word_list_path.c_str(), "r");
  if (!word_list) return false;
  // Some systems open a directory for reading; only the first read then fails.
  const bool readable = std::fgetc(word_list) != EOF || !std::ferror(word_list);
  std::fclose(word_list);
  if (!readable) return false;

  // A load that throws leaves no dictionary.
  std::string dictionary_set;
  engine = Guarded(HunspellEngine(), [&] {
    auto loaded = MakeHunspellEngine(affix_path, word_list_path);
    dictionary_set = loaded->get_dict_encoding();
    return loaded;
  });
  if (!engine) return false;
  // Without a SET line the engine's ISO8859-1 is only a default, not a statement about the
  // word list, whose bytes are then passed on as they are.
  if (AffixFileDeclaresSet(affix_path)) {
    encoding = DictionaryEncoding::ForDictionary(dictionary_set);
  }
  dictionary_memory = kEngineBytesPerFileByte * (FileSize(affix_path) + FileSize(word_list_path));
  return true;
}

uint64_t HunspellBackend::DictionaryMemory() { return dictionary_memory; }

std::vector<std::string> HunspellBackend::GetAvailableDictionaries(const std::string&) {
  return {};
}

std::vector<std::string> HunspellBackend::GetCorrectionsForMisspelling(const std::string& word) {
  std::vector<std::string> corrections;
  if (!engine) return corrections;
  // The engine sees the word up to its first NUL, so that is the key.
  const std::string_view key(word.c_str());
  if (suggestion_cache) {
    if (const auto* cached = suggestion_cache->Find(key)) return *cached;
  }

  std::string encoded;
  if (!ToDictionary(word, &encoded)) return corrections;
  const SuggestionList suggestions(engine.get(), encoded);
  const size_t count = static_cast<size_t>(std::max(suggestions.size(), 0));
  if (count > corrections.capacity()) corrections.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const char* suggestion = suggestions[static_cast<int>(i)];
    if (!encoding) {
      corrections.emplace_back(suggestion);
      continue;
    }
    // A suggestion holding a byte the set leaves undefined cannot be shown faithfully.
    std::string utf8;
    if (encoding->ToUtf8(suggestion, &utf8)) corrections.push_back(std::move(utf8));
  }
  if (suggestion_cache) suggestion_cache->Insert(key, corrections);
  return corrections;
}

bool HunspellBackend::IsMisspelled(const std::string& word) {
  if (!engine) return false;
  if (word.find('\0') != std::string::npos) return CachedRejects(UpToNul(word));
  return CachedRejects(word);
}

bool HunspellBackend::IsHunspell() { return true; }

std::vector<WordRange> HunspellBackend::FindMisspellings(const char16_t* text, uint64_t length) {
  std::vector<WordRange> misspellings;
  if (!engine) return misspellings;
  SplitWordReader reader(converter);
  ForEachWord(text, length, [&](uint64_t start, uint64_t end) {
    if (CachedRejects(reader.Read(text, start, end))) misspellings.push_back(WordRange{start, end});
  });
  return misspellings;
}

void HunspellBackend::Add(const std::string& word) {
  ClearCaches();
  if (!engine) return;
  std::string encoded;
  if (ToDictionary(word, &encoded)) Guarded(0, [&] { return engine->add(encoded); });
}

void HunspellBackend::Remove(const std::string& word) {
  ClearCaches();
  if (!engine) return;
  std::string encoded;
  if (ToDictionary(word, &encoded)) Guarded(0, [&] { return engine->remove(encoded); });
}

bool HunspellBackend::Rejects(const std::string& word) {
  // A check that throws is a misspelling.
  const auto rejects = [this](const std::string& checked) {
    return Guarded(true, [&] { return !engine->spell(checked); });
  };
  if (!encoding) return rejects(word);
  std::string encoded;
  // A character the dictionary's set lacks cannot be in any of its words.
  if (!encoding->FromUtf8(word, &encoded)) return true;
  return rejects(encoded);
}

bool HunspellBackend::CachedRejects(const std::string& word) {
  bool rejected;
  if (verdict_cache && verdict_cache->Find(word, &rejected)) return rejected;
  rejected = Rejects(word);
  if (verdict_cache) verdict_cache->Insert(word, rejected);
  return rejected;
}

void HunspellBackend::ClearCaches() {
  if (verdict_cache) verdict_cache->Clear();
  if (suggestion_cache) suggestion_cache->Clear();
}

bool HunspellBackend::ToDictionary(const std::string& word, std::string* encoded) {
  if (!encoding) {
    *encoded = UpToNul(word);
    return true;
  }
  return encoding->FromUtf8(UpToNul(word), encoded);
}

}  // namespace spellchecker
