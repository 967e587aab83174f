// The service behind the system backend here loads Hunspell too (Enchant's Hunspell provider),
// into the same library as the Hunspell backend, whose UTF-8 engines share one counted table of
// Unicode case data. Loads and drops through either path, racing on threads, must keep that
// table for every live engine.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "com_sandbox.h"

namespace spellchecker {
namespace {

class SharedEngineStateTest : public ComSandboxTest {};

TEST_F(SharedEngineStateTest, SystemAndHunspellLoadsOnThreadsKeepTheCaseTable) {
  // The sandbox's small UTF-8 dictionary, for both paths; its upper-case forms are accepted only
  // through the case table.
  const std::string directory = (config_dir / "hunspell").string();
  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::thread service([&] {
    for (int round = 0; round < 600; ++round) {
      SystemSpellBackend system;
      if (!system.SetDictionary("xx-TEST", "") || system.IsMisspelled("ŻÓŁW")) ++wrong;
    }
    done = true;
  });
  std::vector<std::thread> engines;
  for (int t = 0; t < 2; ++t) {
    engines.emplace_back([&] {
      HunspellBackend kept(HunspellBackend::Caching::kOff);
      if (!kept.SetDictionary("xx_TEST", directory)) ++wrong;
      while (!done) {
        HunspellBackend backend(HunspellBackend::Caching::kOff);
        if (!backend.SetDictionary("xx_TEST", directory)) ++wrong;
        if (backend.IsMisspelled("ŻÓŁW") || kept.IsMisspelled("ŻÓŁW")) ++wrong;
      }
    });
  }
  service.join();
  for (std::thread& thread : engines) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace spellchecker
