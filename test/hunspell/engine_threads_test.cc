// Engines loaded and dropped on several threads at once. Hunspell shares one table of Unicode
// case data among all its UTF-8 engines, counted and freed without a lock, so loads and drops
// racing on threads could lose the count and free the table under a live engine.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "test_support.h"

namespace spellchecker {
namespace {

using testing_support::TempDir;

TEST(HunspellEngineThreads, LoadsAndDropsOnManyThreadsKeepTheCaseTable) {
  TempDir dir;
  // Accepting the upper-case form needs the shared case table.
  dir.WriteDictionary("xx_UTF", "éclair");
  constexpr int kThreads = 4;
  constexpr int kRounds = 150;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      HunspellBackend kept(HunspellBackend::Caching::kOff);
      if (!kept.SetDictionary("xx_UTF", dir.path())) ++wrong;
      for (int round = 0; round < kRounds; ++round) {
        HunspellBackend backend(HunspellBackend::Caching::kOff);
        if (!backend.SetDictionary("xx_UTF", dir.path())) ++wrong;
        if (backend.IsMisspelled("ÉCLAIR")) ++wrong;
        if (kept.IsMisspelled("ÉCLAIR")) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace spellchecker
