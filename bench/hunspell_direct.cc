// The baselines of the peer benchmark: Hunspell called directly, with no binding in between, over
// the same word lists as every other engine (see bench/peers/engine.mjs for the protocol). Built
// twice, so it uses nothing but Hunspell's header: against the engine this project ships
// (bench_hunspell_direct) and against the system's Hunspell library (bench_hunspell_system).
// Usage: bench_hunspell_direct [--first|--per-call] CORPUS_DIR AFF DIC [SUGGEST_BUDGET_MS]
// --first checks every distinct word once with a fresh engine and nothing before them;
// --per-call does the same and times each call. Prints one JSON object.
#include <unistd.h>
#include <hunspell/hunspell.hxx>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "corpus_files.h"

namespace {

using bench::Now;
using bench::NsSince;
using bench::ReadWords;

double ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// A page's first sight of a text: every word new to a fresh engine. Timing each call adds the
// clock's reads, which the per-call pass keeps out of the other's figure by running in a process
// of its own.
int FirstSight(const std::string& dir, const char* aff, const char* dic, bool per_call) {
  Hunspell engine(aff, dic);
  const auto words = ReadWords(dir, "distinct");
  std::string verdicts(words.size(), '0');
  std::vector<double> call_ns(per_call ? words.size() : 0);
  const double start = Now();
  for (size_t i = 0; i < words.size(); i++) {
    const double call_start = per_call ? Now() : 0;
    verdicts[i] = engine.spell(words[i]) ? '0' : '1';
    if (per_call) call_ns[i] = NsSince(call_start);
  }
  const double ns = NsSince(start);
  std::ostringstream out;
  out << "{\"firstNsPerWord\":" << ns / static_cast<double>(words.size()) << ",\"callNs\":[";
  for (size_t i = 0; i < call_ns.size(); i++) out << (i ? "," : "") << call_ns[i];
  out << "],\"verdicts\":\"" << verdicts << "\"}\n";
  std::cout << out.str();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool first = argc > 1 && std::strcmp(argv[1], "--first") == 0;
  const bool per_call = argc > 1 && std::strcmp(argv[1], "--per-call") == 0;
  if (first || per_call) ++argv, --argc;
  if (argc < 4) {
    std::cerr << "usage: " << argv[0]
              << " [--first|--per-call] CORPUS_DIR AFF DIC [SUGGEST_BUDGET_MS]\n";
    return 2;
  }
  if (first || per_call) return FirstSight(argv[1], argv[2], argv[3], per_call);
  const std::string dir = argv[1];
  const double budget_ns = (argc > 4 ? std::stod(argv[4]) : 20000.0) * 1e6;
  const double rss_before = ResidentKiB();
  auto start = Now();
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
  start = Now();
  for (const auto& word : running) misspelled += engine->spell(word) ? 0 : 1;
  const double running_ns = NsSince(start);
  // The same text again, as a page rechecks it.
  size_t misspelled_again = 0;
  start = Now();
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
  start = Now();
  for (size_t i = 0; i < distinct.size(); i++) verdicts[i] = engine->spell(distinct[i]) ? '0' : '1';
  const double distinct_ns = NsSince(start);

  // The first 20 words are asked about twice in a row, as a context menu opened again does.
  std::vector<double> suggest_ms;
  double repeat_ns = 0;
  size_t repeats = 0;
  const auto suggest_start = Now();
  for (const auto& word : suggest_words) {
    start = Now();
    engine->suggest(word);
    suggest_ms.push_back(NsSince(start) / 1e6);
    if (repeats < 20) {
      start = Now();
      engine->suggest(word);
      repeat_ns += NsSince(start);
      ++repeats;
    }
    if (NsSince(suggest_start) > budget_ns) break;
  }
  const double suggest_repeat_ms = repeat_ns / 1e6 / static_cast<double>(repeats ? repeats : 1);

  std::ostringstream out;
  out << "{\"engine\":\"hunspell\",\"loadMs\":" << load_ns / 1e6
      << ",\"rssKiB\":" << rss_after - rss_before
      << ",\"runningNsPerWord\":" << running_ns / static_cast<double>(running.size())
      << ",\"againNsPerWord\":" << again_ns / static_cast<double>(running.size())
      << ",\"runningMisspelled\":" << misspelled
      << ",\"distinctNsPerWord\":" << distinct_ns / static_cast<double>(distinct.size())
      << ",\"suggestMs\":[";
  for (size_t i = 0; i < suggest_ms.size(); i++) out << (i ? "," : "") << suggest_ms[i];
  out << "],\"suggestRepeatMs\":" << suggest_repeat_ms << ",\"verdicts\":\"" << verdicts << "\"}\n";
  std::cout << out.str();
  return 0;
}
