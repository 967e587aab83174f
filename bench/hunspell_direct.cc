// The baseline of the peer benchmark: Hunspell called directly, with no binding in between, over
// the same word lists as every other engine (see bench/peers/engine.mjs for the protocol).
// Usage: bench_hunspell_direct CORPUS_DIR AFF DIC [SUGGEST_BUDGET_MS]
// Prints one JSON object.
#include <sys/resource.h>
#include <unistd.h>
#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "backends/hunspell/word_splitter.h"
#include "text/utf_convert.h"

namespace {

using spellchecker::HunspellBackend;

// Process CPU time, as the script engines measure it (see bench/peers/engine.mjs); with
// BENCH_CLOCK=wall, elapsed time.
struct Clock {
  using time_point = double;
  static double now() {
    static const bool wall = [] {
      const char* clock = std::getenv("BENCH_CLOCK");
      return clock && std::string(clock) == "wall";
    }();
    if (wall) {
      return std::chrono::duration<double, std::nano>(
                 std::chrono::steady_clock::now().time_since_epoch())
          .count();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval& t) { return t.tv_sec * 1e9 + t.tv_usec * 1e3; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
  }
};

double NsSince(Clock::time_point start) { return Clock::now() - start; }

std::vector<std::string> ReadWords(const std::string& dir, const char* name) {
  std::ifstream in(dir + "/" + name + ".txt", std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << dir << "/" << name << ".txt\n";
    std::exit(1);
  }
  std::vector<std::string> words;
  for (std::string line; std::getline(in, line);) words.push_back(line);
  return words;
}

double ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

// What a caller does without the backend: split the text into words by the same rules, write
// each as UTF-8 and ask the engine. Returns the number of words checked; counts rejections.
size_t SplitAndSpell(Hunspell& engine, const std::u16string& text, size_t* rejected) {
  spellchecker::Utf8Converter converter;
  spellchecker::SplitWordReader reader(converter);
  size_t words = 0;
  spellchecker::ForEachWord(text.data(), text.size(), [&](uint64_t start, uint64_t end) {
    ++words;
    if (!engine.spell(reader.Read(text.data(), start, end))) ++*rejected;
  });
  return words;
}

struct WholeText {
  double direct_ns = 0, uncached_ns = 0, cached_ns = 0;
  size_t words = 0, direct_rejected = 0, uncached_rejected = 0, cached_rejected = 0;
};

// The backend's FindMisspellings without and with its cache, against SplitAndSpell. Each of
// the three starts with a freshly loaded dictionary, so no cache, and no engine, has seen a word.
WholeText MeasureWholeText(const char* aff, const char* dic, const std::u16string& text,
                           const std::string& directory, const std::string& tag) {
  WholeText result;
  {
    Hunspell engine(aff, dic);
    const auto start = Clock::now();
    result.words = SplitAndSpell(engine, text, &result.direct_rejected);
    result.direct_ns = NsSince(start);
  }
  for (const auto caching : {HunspellBackend::Caching::kOff, HunspellBackend::Caching::kOn}) {
    HunspellBackend backend(caching);
    if (!backend.SetDictionary(tag, directory)) {
      std::cerr << "cannot load " << directory << "/" << tag << "\n";
      std::exit(1);
    }
    const auto start = Clock::now();
    const size_t rejected = backend.FindMisspellings(text.data(), text.size()).size();
    const double ns = NsSince(start);
    if (caching == HunspellBackend::Caching::kOff) {
      result.uncached_ns = ns;
      result.uncached_rejected = rejected;
    } else {
      result.cached_ns = ns;
      result.cached_rejected = rejected;
    }
  }
  return result;
}

// Whole-text passes are short, so each is repeated, interleaved, and the median kept.
WholeText MedianWholeText(const char* aff, const char* dic, const std::u16string& text,
                          const std::string& directory, const std::string& tag) {
  constexpr int kRepeats = 5;
  std::vector<WholeText> runs;
  for (int i = 0; i < kRepeats; ++i)
    runs.push_back(MeasureWholeText(aff, dic, text, directory, tag));
  WholeText median = runs.front();
  const auto pick = [&runs](double WholeText::*field) {
    std::vector<double> values;
    for (const auto& run : runs) values.push_back(run.*field);
    std::nth_element(values.begin(), values.begin() + kRepeats / 2, values.end());
    return values[kRepeats / 2];
  };
  median.direct_ns = pick(&WholeText::direct_ns);
  median.uncached_ns = pick(&WholeText::uncached_ns);
  median.cached_ns = pick(&WholeText::cached_ns);
  return median;
}

void PrintWholeText(std::ostream& out, const char* name, const WholeText& m) {
  const double words = static_cast<double>(m.words);
  out << "\"" << name << "\":{\"words\":" << m.words
      << ",\"directNsPerWord\":" << m.direct_ns / words
      << ",\"uncachedNsPerWord\":" << m.uncached_ns / words
      << ",\"cachedNsPerWord\":" << m.cached_ns / words
      << ",\"directRejected\":" << m.direct_rejected
      << ",\"uncachedRejected\":" << m.uncached_rejected
      << ",\"cachedRejected\":" << m.cached_rejected << "}";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: " << argv[0] << " CORPUS_DIR AFF DIC [SUGGEST_BUDGET_MS]\n";
    return 2;
  }
  const std::string dir = argv[1];
  const double budget_ns = (argc > 4 ? std::stod(argv[4]) : 20000.0) * 1e6;
  const double rss_before = ResidentKiB();
  auto start = Clock::now();
  auto engine = std::make_unique<Hunspell>(argv[2], argv[3]);
  const double load_ns = NsSince(start);
  const double rss_after = ResidentKiB();
  // The word lists are read after the load, so that the heap they leave behind cannot hide
  // the engine's growth.
  const auto running = ReadWords(dir, "running");
  const auto distinct = ReadWords(dir, "distinct");
  const auto suggest_words = ReadWords(dir, "suggest");
  const auto warmup = ReadWords(dir, "warmup");

  for (const auto& word : warmup) engine->spell(word);
  engine->suggest(warmup.front());

  size_t misspelled = 0;
  start = Clock::now();
  for (const auto& word : running) misspelled += engine->spell(word) ? 0 : 1;
  const double running_ns = NsSince(start);
  // The same text again, as a page rechecks it.
  size_t misspelled_again = 0;
  start = Clock::now();
  for (const auto& word : running) misspelled_again += engine->spell(word) ? 0 : 1;
  const double again_ns = NsSince(start);
  if (misspelled_again != misspelled) {
    std::cerr << "the second pass over the text gave other verdicts\n";
    return 1;
  }

  // Every engine starts the distinct words afresh, with no data from the text.
  engine.reset();
  engine = std::make_unique<Hunspell>(argv[2], argv[3]);
  for (const auto& word : warmup) engine->spell(word);

  std::string verdicts(distinct.size(), '0');
  start = Clock::now();
  for (size_t i = 0; i < distinct.size(); i++) verdicts[i] = engine->spell(distinct[i]) ? '0' : '1';
  const double distinct_ns = NsSince(start);

  // The first 20 words are asked about twice in a row, as a context menu opened again does.
  std::vector<double> suggest_ms;
  double repeat_ns = 0;
  size_t repeats = 0;
  const auto suggest_start = Clock::now();
  for (const auto& word : suggest_words) {
    start = Clock::now();
    engine->suggest(word);
    suggest_ms.push_back(NsSince(start) / 1e6);
    if (repeats < 20) {
      start = Clock::now();
      engine->suggest(word);
      repeat_ns += NsSince(start);
      ++repeats;
    }
    if (NsSince(suggest_start) > budget_ns) break;
  }
  const double suggest_repeat_ms = repeat_ns / 1e6 / static_cast<double>(repeats ? repeats : 1);

  // Whole texts, each ending in a NUL unit that the length includes so that the last word is
  // checked: the corpus text, and every distinct word once.
  const std::string dic_path = argv[3];
  const size_t slash = dic_path.rfind('/');
  const std::string dictionary_dir = slash == std::string::npos ? "." : dic_path.substr(0, slash);
  const std::string tag = dic_path.substr(slash + 1, dic_path.size() - slash - 1 - 4);
  std::u16string running_text = spellchecker::Utf8ToUtf16(ReadFile(dir + "/text.txt"));
  running_text.push_back(u'\0');
  std::string distinct_utf8;
  for (const auto& word : distinct) distinct_utf8 += word + " ";
  std::u16string distinct_text = spellchecker::Utf8ToUtf16(distinct_utf8);
  distinct_text.push_back(u'\0');
  engine.reset();
  const WholeText whole_running =
      MedianWholeText(argv[2], argv[3], running_text, dictionary_dir, tag);
  const WholeText whole_distinct =
      MedianWholeText(argv[2], argv[3], distinct_text, dictionary_dir, tag);

  std::ostringstream out;
  out << "{\"engine\":\"hunspell\",\"loadMs\":" << load_ns / 1e6
      << ",\"rssKiB\":" << rss_after - rss_before
      << ",\"runningNsPerWord\":" << running_ns / static_cast<double>(running.size())
      << ",\"againNsPerWord\":" << again_ns / static_cast<double>(running.size())
      << ",\"runningMisspelled\":" << misspelled
      << ",\"distinctNsPerWord\":" << distinct_ns / static_cast<double>(distinct.size())
      << ",\"suggestMs\":[";
  for (size_t i = 0; i < suggest_ms.size(); i++) out << (i ? "," : "") << suggest_ms[i];
  out << "],\"suggestRepeatMs\":" << suggest_repeat_ms << ",\"findMisspellings\":{";
  PrintWholeText(out, "running", whole_running);
  out << ",";
  PrintWholeText(out, "distinct", whole_distinct);
  out << "},\"verdicts\":\"" << verdicts << "\"}\n";
  std::cout << out.str();
  return 0;
}
