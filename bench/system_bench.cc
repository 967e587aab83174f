// The system backend against Enchant called directly, in the same run, on the same words.
// IsMisspelled adds only the conversions to UTF-16 and back and the COM layer's objects to
// enchant_dict_check; FindMisspellings is measured over a few hundred kilobytes of text, against
// the same splitting and checking done with Enchant alone. Prints the ratios at the end.
#include <benchmark/benchmark.h>
#include <enchant.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "backends/system/system_spell_backend.h"
#include "platform/com/spelling_tokenizer.h"
#include "text/utf_convert.h"

namespace {

using spellchecker::SystemSpellBackend;

constexpr size_t kWordCount = 4000;
constexpr size_t kTextUnits = 300 * 1024;
// Medians of several runs, as the machine may be shared.
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
    broker = enchant_broker_init();
    dict = enchant_broker_request_dict(broker, "en_US");
    backend = std::make_unique<SystemSpellBackend>();
    if (dict == nullptr || !backend->SetDictionary("en-US", "")) {
      std::fprintf(stderr, "no en_US dictionary\n");
      std::exit(1);
    }
  }
  ~Fixture() {
    backend.reset();
    enchant_broker_free_dict(broker, dict);
    enchant_broker_free(broker);
    std::error_code ignored;
    std::filesystem::remove_all(config_dir, ignored);
  }

  std::filesystem::path config_dir;
  std::vector<std::string> words;
  std::u16string text;
  EnchantBroker* broker = nullptr;
  EnchantDict* dict = nullptr;
  std::unique_ptr<SystemSpellBackend> backend;
};

Fixture* fixture = nullptr;

void BM_DirectEnchantCheck(benchmark::State& state) {
  size_t i = 0;
  int64_t misspelled = 0;
  for (auto _ : state) {
    const std::string& word = fixture->words[i++ % fixture->words.size()];
    misspelled += enchant_dict_check(fixture->dict, word.data(), word.size()) > 0;
  }
  benchmark::DoNotOptimize(misspelled);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DirectEnchantCheck)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);

void BM_SystemIsMisspelled(benchmark::State& state) {
  size_t i = 0;
  int64_t misspelled = 0;
  for (auto _ : state) {
    misspelled += fixture->backend->IsMisspelled(fixture->words[i++ % fixture->words.size()]);
  }
  benchmark::DoNotOptimize(misspelled);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SystemIsMisspelled)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);

// What a caller with Enchant alone does for a text: the same splitting, then one check a word.
void BM_DirectEnchantText(benchmark::State& state) {
  EnchantDict* dict = fixture->dict;
  const std::u16string& text = fixture->text;
  auto is_word_character = [dict](char32_t code_point, spellchecker::WordPosition where) {
    return enchant_dict_is_word_character(dict, code_point, where) != 0;
  };
  std::string word;
  for (auto _ : state) {
    size_t position = 0;
    size_t misspelled = 0;
    spellchecker::WordSpan span{0, 0};
    while (spellchecker::NextWord(text.data(), text.size(), &position, is_word_character, &span)) {
      word.clear();
      spellchecker::AppendUtf8(text.data() + span.start, span.length, &word);
      misspelled += enchant_dict_check(dict, word.data(), word.size()) > 0;
    }
    benchmark::DoNotOptimize(misspelled);
  }
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_DirectEnchantText)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

void BM_SystemFindMisspellings(benchmark::State& state) {
  const std::u16string& text = fixture->text;
  size_t found = 0;
  for (auto _ : state) {
    found = fixture->backend->FindMisspellings(text.data(), text.size()).size();
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
  state.counters["misspelled"] = static_cast<double>(found);
}
BENCHMARK(BM_SystemFindMisspellings)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

// Keeps each benchmark's time per iteration so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        // CPU time: the machine may be shared, and both sides run on this thread alone.
        nanoseconds[run.run_name.function_name] =
            run.GetAdjustedCPUTime() * (run.time_unit == benchmark::kMillisecond ? 1e6 : 1.0);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatio(const char* label, const std::string& measured, const std::string& baseline) {
    if (nanoseconds.count(measured) == 0 || nanoseconds.count(baseline) == 0) {
      return;
    }
    std::printf("%-46s %.3fx  (median %.0f ns against %.0f ns of CPU time)\n", label,
                nanoseconds[measured] / nanoseconds[baseline], nanoseconds[measured],
                nanoseconds[baseline]);
  }

 private:
  std::map<std::string, double> nanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Fixture data;
  fixture = &data;
  std::printf("%zu words, %zu UTF-16 units of text\n", data.words.size(), data.text.size());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios against Enchant called directly (target for IsMisspelled: 1.3x):\n");
  reporter.PrintRatio("IsMisspelled / enchant_dict_check", "BM_SystemIsMisspelled",
                      "BM_DirectEnchantCheck");
  reporter.PrintRatio("FindMisspellings / split + enchant_dict_check", "BM_SystemFindMisspellings",
                      "BM_DirectEnchantText");
  benchmark::Shutdown();
  fixture = nullptr;
  return 0;
}
