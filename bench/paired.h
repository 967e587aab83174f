#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace spellchecker {

inline double ThreadCpuNs() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Runs the baseline and the backend back to back in every iteration, cycling through two
// instance pairs and both orders, and times each on this thread's CPU clock. Pairing them this
// closely keeps load from elsewhere on the machine out of the ratio far better than timing them in
// separate runs. `baseline(k)` and `backend(k)` run with instance pair k (0 or 1).
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

// Collects the ratio of every repetition of the paired benchmarks while printing as usual.
class PairedRatioReporter : public benchmark::ConsoleReporter {
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

}  // namespace spellchecker
