// Runs Hunspell's own test suite (the tests/ directory of its source package) through the
// library as built here: for each NAME.dic with NAME.aff, every line of NAME.good must be
// accepted, every line of NAME.wrong rejected, and NAME.sug must list, line by line, the
// suggestions for the rejected words that have any, joined by ", " (what the suite's own
// script reads from the command-line tool). Lines are split into words at spaces and tabs, as
// the tool splits them. Test files are UTF-8 and are converted to and from
// the dictionary's set, as the tool does. Morphological analysis (.morph, .root) is not checked.
//
// Usage: upstream_suite_runner TESTS_DIR [EXPECTED_FAILURES_FILE]
// Each line of the expected-failures file names a case ("NAME.good", "NAME.wrong", "NAME.sug")
// followed by the reason; such a case must fail, so a fix upstream shows as well.
//
// The run also fails when Hunspell reads the process CPU clock: its time limits must use the
// monotonic clock, which costs no system call (the suite reaches every time-limited path).
#include <hunspell.hxx>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "backends/hunspell/dictionary_encoding.h"

std::atomic<long> cpu_clock_reads{0};

// Takes the place of the C library's clock() for the whole executable, Hunspell's static library
// included.
extern "C" clock_t clock() noexcept {
  ++cpu_clock_reads;
  return 0;
}

namespace {

namespace fs = std::filesystem;
using spellchecker::DictionaryEncoding;

std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The words of every line, split at spaces and tabs.
std::vector<std::string> ReadWords(const fs::path& path) {
  std::vector<std::string> words;
  for (const std::string& line : ReadLines(path)) {
    size_t start = 0;
    while ((start = line.find_first_not_of(" \t", start)) != std::string::npos) {
      const size_t end = line.find_first_of(" \t", start);
      words.push_back(line.substr(start, end - start));
      start = end;
    }
  }
  return words;
}

// Converts a word with the backend's converter for the dictionary's set (none for UTF-8); a
// word that does not convert is kept as it is, bytes the suite's files already hold in that set.
std::string Converted(DictionaryEncoding* encoding,
                      bool (DictionaryEncoding::*convert)(const std::string&, std::string*),
                      const std::string& word) {
  std::string converted;
  return encoding && (encoding->*convert)(word, &converted) ? converted : word;
}

struct Outcome {
  int passed = 0;
  std::vector<std::string> failed;  // "NAME.kind: detail"
};

void RunCase(const fs::path& dir, const std::string& name,
             std::map<std::string, std::string>* failures, int* cases) {
  const fs::path base = dir / name;
  Hunspell engine((base.string() + ".aff").c_str(), (base.string() + ".dic").c_str());
  const auto encoding = DictionaryEncoding::ForDictionary(engine.get_dict_encoding());
  const auto to_dictionary = [&](const std::string& word) {
    return Converted(encoding.get(), &DictionaryEncoding::FromUtf8, word);
  };
  const auto to_utf8 = [&](const std::string& word) {
    return Converted(encoding.get(), &DictionaryEncoding::ToUtf8, word);
  };

  const auto report = [&](const std::string& kind, const std::string& detail) {
    const std::string key = name + "." + kind;
    if (!failures->count(key)) (*failures)[key] = detail;
  };

  if (fs::exists(base.string() + ".good")) {
    ++*cases;
    for (const std::string& word : ReadWords(base.string() + ".good")) {
      if (!engine.spell(to_dictionary(word))) report("good", "rejects " + word);
    }
  }
  if (fs::exists(base.string() + ".wrong")) {
    ++*cases;
    std::vector<std::string> expected;
    const bool suggestions = fs::exists(base.string() + ".sug");
    if (suggestions) {
      ++*cases;
      expected = ReadLines(base.string() + ".sug");
      while (!expected.empty() && expected.back().empty()) expected.pop_back();
    }
    std::vector<std::string> produced;
    for (const std::string& line : ReadWords(base.string() + ".wrong")) {
      const std::string word = to_dictionary(line);
      if (engine.spell(word)) {
        report("wrong", "accepts " + line);
        continue;
      }
      if (!suggestions) continue;
      std::string joined;
      for (const std::string& suggestion : engine.suggest(word)) {
        if (!joined.empty()) joined += ", ";
        joined += to_utf8(suggestion);
      }
      if (!joined.empty()) produced.push_back(joined);
    }
    if (suggestions && produced != expected) {
      std::ostringstream detail;
      for (size_t i = 0; i < std::max(produced.size(), expected.size()); ++i) {
        const std::string got = i < produced.size() ? produced[i] : "(none)";
        const std::string want = i < expected.size() ? expected[i] : "(none)";
        if (got != want) {
          detail << "line " << i + 1 << ": got '" << got << "', expected '" << want << "'";
          break;
        }
      }
      report("sug", detail.str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " TESTS_DIR [EXPECTED_FAILURES_FILE]\n";
    return 2;
  }
  const fs::path dir = argv[1];
  std::map<std::string, std::string> expected;  // case -> reason
  if (argc > 2) {
    for (const std::string& line : ReadLines(argv[2])) {
      if (line.empty() || line[0] == '#') continue;
      const size_t space = line.find(' ');
      expected[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
    }
  }

  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".dic" &&
        fs::exists(fs::path(entry.path()).replace_extension(".aff"))) {
      names.push_back(entry.path().stem().string());
    }
  }
  std::sort(names.begin(), names.end());

  std::map<std::string, std::string> failures;
  int cases = 0;
  for (const std::string& name : names) RunCase(dir, name, &failures, &cases);

  int unexpected = 0;
  for (const auto& [key, detail] : failures) {
    if (expected.count(key)) continue;
    std::cout << "FAIL " << key << ": " << detail << "\n";
    ++unexpected;
  }
  int fixed = 0;
  for (const auto& [key, reason] : expected) {
    if (failures.count(key)) continue;
    std::cout << "PASSES, expected to fail: " << key << " (" << reason << ")\n";
    ++fixed;
  }
  std::cout << names.size() << " dictionaries, " << cases
            << " cases: " << cases - static_cast<int>(failures.size()) << " pass, "
            << failures.size() << " fail (" << failures.size() - unexpected << " expected)\n";
  if (cpu_clock_reads > 0) {
    std::cout << "FAIL Hunspell read the process CPU clock " << cpu_clock_reads << " times\n";
  }
  return unexpected || fixed || cpu_clock_reads > 0 ? 1 : 0;
}
