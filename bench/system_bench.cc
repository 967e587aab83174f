// The system backend against Enchant called directly, in the same run, on the same words.
// IsMisspelled adds only the conversions to UTF-16 and back and the COM layer's objects to
// enchant_dict_check; FindMisspellings is measured over a few hundred kilobytes of text, against
// the same splitting and checking done with Enchant alone. Each side runs right after the other
// in every iteration (paired.h); prints the ratios at the end.
#include <benchmark/benchmark.h>
#include <enchant.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "backends/system/system_spell_backend.h"
#include "paired.h"
#include "platform/com/spelling_tokenizer.h"
#include "text/utf8_encoder.h"
#include "text/utf_convert.h"

namespace {

using spellchecker::RunPaired;
using spellchecker::SystemSpellBackend;

constexpr size_t kWordCount = 4000;
constexpr size_t kTextUnits = 300 * 1024;
constexpr int kRepetitions = 5;

// Deterministic choices, so that every run measures the same input.
uint32_t NextRandom(uint32_t* state) {
  *state = *state * 1664525u + 1013904223u;
  return *state >> 8;
}

// Stems of the en_US word list, every seventh one with two letters swapped.
std::vector<std::string> MakeWords() {
  std::ifstream list("/usr/share/hunspell/en_US.dic");
  std::vector<std::string> stems;
  std::string line;
  std::getline(list, line);  // the count
  while (std::getline(list, line)) {
    const std::string stem = line.substr(0, line.find('/'));
    if (stem.size() >= 2) {
      stems.push_back(stem);
    }
  }
  std::vector<std::string> words;
  if (stems.empty()) {
    return words;
  }
  uint32_t state = 12345;
  for (size_t i = 0; i < kWordCount; ++i) {
    std::string word = stems[NextRandom(&state) % stems.size()];
    if (i % 7 == 0) {
      const size_t at = NextRandom(&state) % (word.size() - 1);
      std::swap(word[at], word[at + 1]);
    }
    words.push_back(word);
  }
  return words;
}

std::u16string MakeText(const std::vector<std::string>& words) {
  std::string text;
  uint32_t state = 777;
  for (size_t i = 0; text.size() < kTextUnits; ++i) {
    text += words[i % words.size()];
    const uint32_t pick = NextRandom(&state) % 16;
    text += pick == 0 ? ". " : pick == 1 ? ", " : pick == 2 ? "'s " : " ";
  }
  return spellchecker::Utf8ToUtf16(text);
}

// Two of each, loaded backend, direct, direct, backend, as hunspell_bench does. Each direct
// dictionary comes from a broker of its own, since one broker hands out one dictionary a tag.
struct Fixture {
  Fixture() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "spell-system-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    config_dir = pattern;
    std::ofstream(config_dir / "enchant.ordering") << "*:hunspell\nen_US:hunspell\n";
    setenv("ENCHANT_CONFIG_DIR", config_dir.c_str(), 1);

    words = MakeWords();
    if (words.empty()) {
      std::fprintf(stderr, "cannot read /usr/share/hunspell/en_US.dic\n");
      std::exit(1);
    }
    text = MakeText(words);
    const bool loaded = LoadBackend(0) && LoadDirect(0) && LoadDirect(1) && LoadBackend(1);
    if (!loaded) {
      std::fprintf(stderr, "no en_US dictionary\n");
      std::exit(1);
    }
  }
  ~Fixture() {
    for (int k = 0; k < 2; ++k) {
      backends[k].reset();
      if (dicts[k] != nullptr) enchant_broker_free_dict(brokers[k], dicts[k]);
      if (brokers[k] != nullptr) enchant_broker_free(brokers[k]);
    }
    std::error_code ignored;
    std::filesystem::remove_all(config_dir, ignored);
  }

  bool LoadBackend(int k) {
    backends[k] = std::make_unique<SystemSpellBackend>();
    return backends[k]->SetDictionary("en-US", "");
  }
  bool LoadDirect(int k) {
    brokers[k] = enchant_broker_init();
    dicts[k] = brokers[k] != nullptr ? enchant_broker_request_dict(brokers[k], "en_US") : nullptr;
    return dicts[k] != nullptr;
  }

  std::filesystem::path config_dir;
  std::vector<std::string> words;
  std::u16string text;
  EnchantBroker* brokers[2] = {nullptr, nullptr};
  EnchantDict* dicts[2] = {nullptr, nullptr};
  std::unique_ptr<SystemSpellBackend> backends[2];
};

Fixture* fixture = nullptr;

// IsMisspelled against enchant_dict_check, over every word.
void BM_IsMisspelledVsEnchantCheck(benchmark::State& state) {
  int64_t misspelled = 0;
  RunPaired(
      state,
      [&](int k) {
        for (const std::string& word : fixture->words) {
          misspelled += enchant_dict_check(fixture->dicts[k], word.data(), word.size()) > 0;
        }
      },
      [&](int k) {
        for (const std::string& word : fixture->words) {
          misspelled += fixture->backends[k]->IsMisspelled(word);
        }
      });
  benchmark::DoNotOptimize(misspelled);
}

// FindMisspellings against what a caller with Enchant alone does for a text: the same
// splitting, then one check a word.
void BM_FindMisspellingsVsSplitAndCheck(benchmark::State& state) {
  const std::u16string& text = fixture->text;
  std::string word;
  RunPaired(
      state,
      [&](int k) {
        EnchantDict* dict = fixture->dicts[k];
        auto is_word_character = [dict](char32_t code_point, spellchecker::WordPosition where) {
          return enchant_dict_is_word_character(dict, code_point, where) != 0;
        };
        size_t position = 0;
        size_t misspelled = 0;
        spellchecker::WordSpan span{0, 0};
        while (
            spellchecker::NextWord(text.data(), text.size(), &position, is_word_character, &span)) {
          word.clear();
          spellchecker::AppendUtf8(text.data() + span.start, span.length, &word);
          misspelled += enchant_dict_check(dict, word.data(), word.size()) > 0;
        }
        benchmark::DoNotOptimize(misspelled);
      },
      [&](int k) {
        const size_t found =
            fixture->backends[k]->FindMisspellings(text.data(), text.size()).size();
        benchmark::DoNotOptimize(found);
      });
}

BENCHMARK(BM_IsMisspelledVsEnchantCheck)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_FindMisspellingsVsSplitAndCheck)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Fixture data;
  fixture = &data;
  std::printf("%zu words, %zu UTF-16 units of text\n", data.words.size(), data.text.size());
  spellchecker::PairedRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("IsMisspelled / enchant_dict_check", "BM_IsMisspelledVsEnchantCheck", 1.3);
  reporter.PrintRatio("FindMisspellings / split + enchant_dict_check",
                      "BM_FindMisspellingsVsSplitAndCheck", 1.3);
  benchmark::Shutdown();
  fixture = nullptr;
  return 0;
}
