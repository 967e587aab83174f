// One side of the differential run (hunspell_diff.js): one Hunspell build, linked into its own
// executable, answering the same requests as the other build does in its own process.
//
//   hunspell_diff_engine AFFIX WORDLIST < requests > answers
//   hunspell_diff_engine --stems AFFIX WORDLIST > stems
//
// A request is a line "c<TAB>word" (check) or "s<TAB>word" (check and suggest), in UTF-8. The
// word reaches the engine as the module hands it over: in the dictionary's own 8-bit set when the
// affix file declares one, and suggestions come back to UTF-8 the same way. Each answer is one
// line:
//
//   verdict <TAB> check wall <TAB> check cpu <TAB> check clock span [<TAB> suggest wall
//   <TAB> suggest cpu <TAB> suggest clock span <TAB> count (<TAB> suggestion)...]
//
// with verdict 1 (correct), 0 (misspelled), x (not representable in the dictionary's set: no
// call made) or E (the engine threw; as the count: suggest threw). A suggestion that the set cannot
// turn back into UTF-8 is written as "?" and its bytes in hex, so that it still compares.
//
// Times are in nanoseconds: wall (monotonic) and process CPU time. The clock span is the longest
// time that the engine itself saw pass during the call: every clock it can read for its time limits
// (clock(), clock_gettime(), the standard library's clocks, gettimeofday(), time()) is wrapped at
// link time (CMakeLists.txt), and each reading is recorded. A limit can have cut a call short only
// when the span on one clock reached the limit; -1 means the call read no clock at all.
//
// --stems writes the word list's words (flags and morphological fields cut off) in UTF-8, one a
// line, leaving out those the set cannot convert.
#include <sys/time.h>
#include <time.h>
#include <hunspell.hxx>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "backends/hunspell/dictionary_encoding.h"

using spellchecker::DictionaryEncoding;

namespace {

// The earliest and latest reading of one clock since the last ResetReadings(), in nanoseconds.
struct ClockReadings {
  int64_t first = 0;
  int64_t last = 0;
  bool read = false;
};

// clock(), gettimeofday(), time(), the standard library's steady and system clocks, then
// clock_gettime() by clock id.
constexpr int kClockGettimeBase = 5;
constexpr int kClocks = kClockGettimeBase + 16;
ClockReadings readings[kClocks];

void Record(int clock, int64_t ns) {
  ClockReadings& r = readings[clock];
  if (!r.read) {
    r.first = r.last = ns;
    r.read = true;
  }
  r.first = std::min(r.first, ns);
  r.last = std::max(r.last, ns);
}

void ResetReadings() {
  for (ClockReadings& r : readings) r = ClockReadings();
}

int64_t ReadingsSpan() {
  int64_t span = -1;
  for (const ClockReadings& r : readings) {
    if (r.read) span = std::max(span, r.last - r.first);
  }
  return span;
}

}  // namespace

// The wrapped clocks (-Wl,--wrap=...): each passes the real reading on and records it.
extern "C" {
clock_t __real_clock();
int __real_clock_gettime(clockid_t id, timespec* now);
int __real_gettimeofday(timeval* now, void* zone);
time_t __real_time(time_t* now);
// The standard clocks' now() return a time_point holding one 64-bit count, returned as that.
int64_t __real__ZNSt6chrono3_V212steady_clock3nowEv();
int64_t __real__ZNSt6chrono3_V212system_clock3nowEv();

clock_t __wrap_clock() {
  const clock_t now = __real_clock();
  Record(0, static_cast<int64_t>(now) * (1000000000 / CLOCKS_PER_SEC));
  return now;
}
int __wrap_gettimeofday(timeval* now, void* zone) {
  const int result = __real_gettimeofday(now, zone);
  if (result == 0 && now) Record(1, now->tv_sec * INT64_C(1000000000) + now->tv_usec * 1000);
  return result;
}
time_t __wrap_time(time_t* now) {
  const time_t result = __real_time(now);
  Record(2, static_cast<int64_t>(result) * 1000000000);
  return result;
}
int64_t __wrap__ZNSt6chrono3_V212steady_clock3nowEv() {
  const int64_t now = __real__ZNSt6chrono3_V212steady_clock3nowEv();
  Record(3, now);
  return now;
}
int64_t __wrap__ZNSt6chrono3_V212system_clock3nowEv() {
  const int64_t now = __real__ZNSt6chrono3_V212system_clock3nowEv();
  Record(4, now);
  return now;
}
int __wrap_clock_gettime(clockid_t id, timespec* now) {
  const int result = __real_clock_gettime(id, now);
  if (result == 0 && id >= 0 && id < kClocks - kClockGettimeBase) {
    Record(kClockGettimeBase + id, now->tv_sec * INT64_C(1000000000) + now->tv_nsec);
  }
  return result;
}
}

namespace {

// This program's own readings go past the wrappers, so that only the engine's are recorded.
int64_t Nanoseconds(clockid_t id) {
  timespec now;
  __real_clock_gettime(id, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// One call's times: wall, process CPU (what clock() reads) and the engine's own clock span.
class CallTimer {
 public:
  CallTimer() : wall(Nanoseconds(CLOCK_MONOTONIC)), cpu(Nanoseconds(CLOCK_PROCESS_CPUTIME_ID)) {
    ResetReadings();
  }
  std::string Fields() const {
    const int64_t span = ReadingsSpan();
    return '\t' + std::to_string(Nanoseconds(CLOCK_MONOTONIC) - wall) + '\t' +
           std::to_string(Nanoseconds(CLOCK_PROCESS_CPUTIME_ID) - cpu) + '\t' +
           std::to_string(span);
  }

 private:
  int64_t wall;
  int64_t cpu;
};

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex = "?";
  for (const unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

// The module's rule: only an affix file with a SET line makes its set the words' encoding.
std::unique_ptr<DictionaryEncoding> EncodingOf(Hunspell& engine, const std::string& affix) {
  if (!spellchecker::AffixFileDeclaresSet(affix)) return nullptr;
  return DictionaryEncoding::ForDictionary(engine.get_dict_encoding());
}

// The word part of a word-list line, as the engine's loader cuts it: before a tab, before
// morphological fields (a space or tab three places before a colon), before the first slash that
// is not escaped; "\/" stands for a slash.
std::string StemOf(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const size_t tab = line.find('\t');
  if (tab != std::string::npos) line.erase(tab);
  for (size_t colon = line.find(':'); colon != std::string::npos;
       colon = line.find(':', colon + 1)) {
    if (colon > 3 && (line[colon - 3] == ' ' || line[colon - 3] == '\t')) {
      size_t end = colon - 3;
      while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
      line.erase(end);
      break;
    }
  }
  std::string stem;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '/') {
      stem += '/';
      ++i;
    } else if (line[i] == '/' && i > 0) {
      break;
    } else {
      stem += line[i];
    }
  }
  return stem;
}

int WriteStems(Hunspell& engine, const std::string& affix, const std::string& word_list) {
  const auto encoding = EncodingOf(engine, affix);
  std::ifstream in(word_list, std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << word_list << "\n";
    return 1;
  }
  std::string line;
  bool first = true;
  size_t unconvertible = 0;
  while (std::getline(in, line)) {
    if (first) {
      first = false;
      // The first line is the word count.
      if (line.find_first_not_of("0123456789 \t\r") == std::string::npos) continue;
    }
    std::string stem = StemOf(line);
    if (stem.empty()) continue;
    if (encoding) {
      std::string utf8;
      if (!encoding->ToUtf8(stem, &utf8)) {
        ++unconvertible;
        continue;
      }
      stem = std::move(utf8);
    }
    std::cout << stem << '\n';
  }
  if (unconvertible) std::cerr << unconvertible << " word-list lines not convertible\n";
  return 0;
}

int Answer(Hunspell& engine, const std::string& affix) {
  const auto encoding = EncodingOf(engine, affix);
  std::string line;
  std::string word;
  std::string out;
  while (std::getline(std::cin, line)) {
    if (line.size() < 2 || line[1] != '\t' || (line[0] != 'c' && line[0] != 's')) {
      std::cerr << "bad request: " << line << "\n";
      return 2;
    }
    const bool suggest = line[0] == 's';
    word.assign(line, 2, std::string::npos);
    if (encoding) {
      std::string encoded;
      if (!encoding->FromUtf8(word, &encoded)) {
        std::cout << "x\t0\t0\t-1" << (suggest ? "\t0\t0\t-1\t0" : "") << '\n';
        continue;
      }
      word = std::move(encoded);
    }

    char verdict;
    const CallTimer check;
    try {
      verdict = engine.spell(word) ? '1' : '0';
    } catch (...) {
      verdict = 'E';
    }
    out.assign(1, verdict);
    out += check.Fields();

    if (suggest) {
      std::vector<std::string> suggestions;
      bool threw = false;
      const CallTimer timer;
      try {
        suggestions = engine.suggest(word);
      } catch (...) {
        threw = true;
      }
      out += timer.Fields();
      if (threw) {
        out += "\tE";
      } else {
        out += '\t' + std::to_string(suggestions.size());
        for (const std::string& suggestion : suggestions) {
          std::string utf8;
          if (!encoding) {
            utf8 = suggestion;
          } else if (!encoding->ToUtf8(suggestion, &utf8)) {
            utf8 = Hex(suggestion);
          }
          out += '\t' + utf8;
        }
      }
    }
    out += '\n';
    std::cout << out;
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const bool stems = argc == 4 && std::string(argv[1]) == "--stems";
  if (!(argc == 3 || stems)) {
    std::cerr << "usage: " << argv[0] << " [--stems] AFFIX WORDLIST\n";
    return 2;
  }
  const std::string affix = argv[stems ? 2 : 1];
  const std::string word_list = argv[stems ? 3 : 2];
  Hunspell engine(affix.c_str(), word_list.c_str());
  return stems ? WriteStems(engine, affix, word_list) : Answer(engine, affix);
}
