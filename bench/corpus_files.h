// What the C++ processes of the peer benchmark share: the clock every engine is timed with and
// the corpus files (bench/peers/corpus.mjs writes them, one word a line).
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

// Process CPU time in nanoseconds, as the script engines measure it (bench/peers/engine.mjs);
// with BENCH_CLOCK=wall, elapsed time.
inline double Now() {
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

inline double NsSince(double start) { return Now() - start; }

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << path << "\n";
    std::exit(1);
  }
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

// The words of CORPUS_DIR/name.txt.
inline std::vector<std::string> ReadWords(const std::string& dir, const char* name) {
  std::istringstream in(ReadFile(dir + "/" + name + ".txt"));
  std::vector<std::string> words;
  for (std::string line; std::getline(in, line);) words.push_back(line);
  return words;
}

}  // namespace bench
