// Measures the Hunspell backend against Hunspell called directly on the same input, in one run:
// IsMisspelled against spell, and FindMisspellings against a plain splitter plus spell. Prints
// each backend/baseline ratio at the end.
// Usage: hunspell_bench [DICTIONARY_DIR [TAG [TEXT_DIR]]] [benchmark flags]
#include <benchmark/benchmark.h>
#include <hunspell/hunspell.hxx>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "backends/hunspell/word_splitter.h"
#include "bench_texts.h"
#include "paired.h"
#include "text/utf_convert.h"

namespace spellchecker {
namespace {

struct Setup {
  std::string dictionary_dir = "/usr/share/hunspell";
  std::string tag = "en_US";
  // Shipped by base-files, so present on every Debian machine: a few hundred kilobytes of
  // English prose.
  std::string text_dir = "/usr/share/common-licenses";
};

struct Data {
  std::u16string text;             // every regular file of the text directory, by name
  std::vector<std::string> words;  // the words of the text, in order, as UTF-8
  // Two of each, loaded backend, engine, engine, backend: where an instance's tables land in
  // memory moves its speed by a few percent, and this order gives both sides the same mix.
  std::unique_ptr<HunspellBackend> backends[2];
  std::unique_ptr<Hunspell> engines[2];
};

Data* data = nullptr;

// IsMisspelled against spell, over every word of the text.
void BM_IsMisspelledVsSpell(benchmark::State& state) {
  size_t rejected = 0;
  RunPaired(
      state,
      [&](int k) {
        for (const std::string& word : data->words) rejected += !data->engines[k]->spell(word);
      },
      [&](int k) {
        for (const std::string& word : data->words) {
          rejected += data->backends[k]->IsMisspelled(word);
        }
      });
  benchmark::DoNotOptimize(rejected);
}

// FindMisspellings against the plain splitter with spell, over the whole text.
void BM_FindMisspellingsVsSplitAndSpell(benchmark::State& state) {
  Utf8Converter converter;
  const char16_t* text = data->text.c_str();
  const uint64_t length = data->text.size() + 1;
  RunPaired(
      state,
      [&](int k) {
        std::vector<WordRange> misspellings;
        SplitWordReader reader(converter);
        ForEachWord(text, length, [&](uint64_t start, uint64_t end) {
          if (!data->engines[k]->spell(reader.Read(text, start, end))) {
            misspellings.push_back(WordRange{start, end});
          }
        });
        benchmark::DoNotOptimize(misspellings.data());
      },
      [&](int k) {
        std::vector<WordRange> misspellings = data->backends[k]->FindMisspellings(text, length);
        benchmark::DoNotOptimize(misspellings.data());
      });
}

constexpr int kRepetitions = 5;
BENCHMARK(BM_IsMisspelledVsSpell)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMisspellingsVsSplitAndSpell)
    ->Repetitions(kRepetitions)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace spellchecker

int main(int argc, char** argv) {
  using namespace spellchecker;
  benchmark::Initialize(&argc, argv);
  Setup setup;
  std::string* positional[] = {&setup.dictionary_dir, &setup.tag, &setup.text_dir};
  for (int i = 1; i < argc && i <= 3; ++i) *positional[i - 1] = argv[i];

  Data loaded;
  const std::string base = setup.dictionary_dir + "/" + setup.tag;
  const auto load_backend = [&](int k) {
    // The verdict cache would answer repeated words without the engine; these ratios measure
    // what the backend adds to each engine call (the peer benchmark measures the cache).
    loaded.backends[k] = std::make_unique<HunspellBackend>(HunspellBackend::Caching::kOff);
    return loaded.backends[k]->SetDictionary(setup.tag, setup.dictionary_dir);
  };
  const auto load_engine = [&](int k) {
    loaded.engines[k] =
        std::make_unique<Hunspell>((base + ".aff").c_str(), (base + ".dic").c_str());
  };
  if (!load_backend(0)) {
    std::fprintf(stderr, "cannot load %s.dic\n", base.c_str());
    return 1;
  }
  load_engine(0);
  load_engine(1);
  load_backend(1);
  const std::string utf8_text = ReadTexts(setup.text_dir);
  loaded.text = Utf8ToUtf16(utf8_text);
  ForEachWord(loaded.text.c_str(), loaded.text.size() + 1, [&](uint64_t start, uint64_t end) {
    loaded.words.push_back(Utf16ToUtf8(loaded.text.substr(start, end - start)));
  });
  if (loaded.words.empty()) {
    std::fprintf(stderr, "no text under %s\n", setup.text_dir.c_str());
    return 1;
  }
  data = &loaded;
  std::printf("text: %zu bytes of UTF-8, %zu words; dictionary %s\n", utf8_text.size(),
              loaded.words.size(), base.c_str());

  PairedRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("IsMisspelled (verdict cache off) / direct spell", "BM_IsMisspelledVsSpell",
                      1.05);
  reporter.PrintRatio("FindMisspellings (verdict cache off) / split + direct spell",
                      "BM_FindMisspellingsVsSplitAndSpell", 1.10);
  benchmark::Shutdown();
  return 0;
}
