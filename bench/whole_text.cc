// The whole-text check of the peer benchmark (scripts/bench.sh): the backend's FindMisspellings,
// with and without its verdict cache, against splitting the text by the same rules plus direct
// Hunspell calls, over the corpus text and over every distinct word once.
// Usage: bench_whole_text CORPUS_DIR AFF DIC
// Prints one JSON object.
#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "backends/hunspell/word_splitter.h"
#include "corpus_files.h"
#include "text/utf_convert.h"

namespace {

using spellchecker::HunspellBackend;

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
    const auto start = bench::Now();
    result.words = SplitAndSpell(engine, text, &result.direct_rejected);
    result.direct_ns = bench::NsSince(start);
  }
  for (const auto caching : {HunspellBackend::Caching::kOff, HunspellBackend::Caching::kOn}) {
    HunspellBackend backend(caching);
    if (!backend.SetDictionary(tag, directory)) {
      std::cerr << "cannot load " << directory << "/" << tag << "\n";
      std::exit(1);
    }
    const auto start = bench::Now();
    const size_t rejected = backend.FindMisspellings(text.data(), text.size()).size();
    const double ns = bench::NsSince(start);
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

// Whole-text passes are short in English, so each is repeated, interleaved, and the median kept;
// three times, since in Dutch and German each takes seconds.
WholeText MedianWholeText(const char* aff, const char* dic, const std::u16string& text,
                          const std::string& directory, const std::string& tag) {
  constexpr int kRepeats = 3;
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
  if (argc != 4) {
    std::cerr << "usage: " << argv[0] << " CORPUS_DIR AFF DIC\n";
    return 2;
  }
  const std::string dir = argv[1];
  // Whole texts, each ending in a NUL unit that the length includes so that the last word is
  // checked: the corpus text, and every distinct word once.
  const std::string dic_path = argv[3];
  const size_t slash = dic_path.rfind('/');
  const std::string dictionary_dir = slash == std::string::npos ? "." : dic_path.substr(0, slash);
  const std::string tag = dic_path.substr(slash + 1, dic_path.size() - slash - 1 - 4);
  std::u16string running_text = spellchecker::Utf8ToUtf16(bench::ReadFile(dir + "/text.txt"));
  running_text.push_back(u'\0');
  std::string distinct_utf8;
  for (const auto& word : bench::ReadWords(dir, "distinct")) distinct_utf8 += word + " ";
  std::u16string distinct_text = spellchecker::Utf8ToUtf16(distinct_utf8);
  distinct_text.push_back(u'\0');
  const WholeText running = MedianWholeText(argv[2], argv[3], running_text, dictionary_dir, tag);
  const WholeText distinct = MedianWholeText(argv[2], argv[3], distinct_text, dictionary_dir, tag);

  std::ostringstream out;
  out << "{\"findMisspellings\":{";
  PrintWholeText(out, "running", running);
  out << ",";
  PrintWholeText(out, "distinct", distinct);
  out << "}}\n";
  std::cout << out.str();
  return 0;
}
