// Measures the Hunspell backend against Hunspell called directly on the same input, in one run:
// IsMisspelled against spell, and FindMisspellings against a plain splitter plus spell. Prints
// each backend/baseline ratio at the end.
// Usage: hunspell_bench [DICTIONARY_DIR [TAG [TEXT_DIR]]] [benchmark flags]
#include <benchmark/benchmark.h>
#include <hunspell/hunspell.hxx>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "bench_texts.h"
#include "text/char_class.h"
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

double ThreadCpuNs() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Runs the baseline and the backend back to back in every iteration, cycling through both
// instance pairs and both orders, and times each on this thread's CPU clock. Pairing them this
// closely keeps load from elsewhere on the machine out of the ratio far better than timing them in
// separate runs.
template <typename Baseline, typename Backend>
void RunPaired(benchmark::State& state, Baseline baseline, Backend backend) {
  double baseline_ns = 0;
  double backend_ns = 0;
  int64_t round = 0;
  for (auto _ : state) {
    const int pair = static_cast<int>(round % 2);
    const bool backend_first = (round / 2) % 2 == 1;
    ++round;
    for (int turn = 0; turn < 2; ++turn) {
      const bool run_backend = (turn == 0) == backend_first;
      const double begin = ThreadCpuNs();
      if (run_backend) {
        backend(pair);
      } else {
        baseline(pair);
      }
      (run_backend ? backend_ns : baseline_ns) += ThreadCpuNs() - begin;
    }
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["baseline_ms"] = baseline_ns / iterations / 1e6;
  state.counters["backend_ms"] = backend_ns / iterations / 1e6;
  state.counters["ratio"] = baseline_ns > 0 ? backend_ns / baseline_ns : 0;
}

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
        char buffer[256];
        std::string word;
        SplitWords(text, length, [&](uint64_t start, uint64_t end) {
          if (end - start > 255) return;
          converter.ConvertToUtf8(buffer, 255, text + start, static_cast<int32_t>(end - start));
          word.assign(buffer);
          if (!data->engines[k]->spell(word)) misspellings.push_back(WordRange{start, end});
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

// Collects the ratio of every repetition while printing as usual.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const auto ratio = run.counters.find("ratio");
      if (ratio != run.counters.end()) {
        ratios[run.run_name.function_name].push_back(ratio->second.value);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "label: X.XXx" (the median over the repetitions) with the range and the target.
  void PrintRatio(const char* label, const char* benchmark, double target) {
    auto found = ratios.find(benchmark);
    if (found == ratios.end() || found->second.empty()) return;
    std::vector<double>& values = found->second;
    std::sort(values.begin(), values.end());
    const double median = values[values.size() / 2];
    std::printf("%s: %.2fx (median of %zu; range %.2fx-%.2fx; target within %.2fx%s)\n", label,
                median, values.size(), values.front(), values.back(), target,
                median <= target ? "" : ", MISSED");
  }

 private:
  std::map<std::string, std::vector<double>> ratios;
};

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
  SplitWords(loaded.text.c_str(), loaded.text.size() + 1, [&](uint64_t start, uint64_t end) {
    loaded.words.push_back(Utf16ToUtf8(loaded.text.substr(start, end - start)));
  });
  if (loaded.words.empty()) {
    std::fprintf(stderr, "no text under %s\n", setup.text_dir.c_str());
    return 1;
  }
  data = &loaded;
  std::printf("text: %zu bytes of UTF-8, %zu words; dictionary %s\n", utf8_text.size(),
              loaded.words.size(), base.c_str());

  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("IsMisspelled (verdict cache off) / direct spell", "BM_IsMisspelledVsSpell",
                      1.05);
  reporter.PrintRatio("FindMisspellings (verdict cache off) / split + direct spell",
                      "BM_FindMisspellingsVsSplitAndSpell", 1.10);
  benchmark::Shutdown();
  return 0;
}
