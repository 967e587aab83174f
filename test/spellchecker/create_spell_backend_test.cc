// Backend selection: the system backend when COM started, its factory exists and
// SPELLCHECKER_PREFER_HUNSPELL is absent; Hunspell otherwise, with the system backend's COM
// start-up undone.
#include "spellchecker/create_spell_backend.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "backends/system/com_users.h"
#include "backends/system/system_spell_backend.h"
#include "com_sandbox.h"
#include "platform/com/com_testing.h"

namespace spellchecker {
namespace {

// The sandbox gives Enchant (the service behind the system backend here) a private
// configuration and checks that COM is left as it was found.
class CreateSpellBackendTest : public ComSandboxTest {
 protected:
  void TearDown() override {
    unsetenv(kPreferHunspellVariable);
    ComSandboxTest::TearDown();
  }
};

TEST_F(CreateSpellBackendTest, AbsentVariableAndReachableServiceGiveTheSystemBackend) {
  unsetenv(kPreferHunspellVariable);
  auto backend = CreateSpellBackend();
  ASSERT_NE(backend, nullptr);
  EXPECT_FALSE(backend->IsHunspell());
  EXPECT_NE(dynamic_cast<SystemSpellBackend*>(backend.get()), nullptr);
  EXPECT_EQ(ComUsers::Count(), 1);
  EXPECT_TRUE(backend->SetDictionary("en-US", "."));
  EXPECT_TRUE(backend->IsMisspelled("helo"));
}

TEST_F(CreateSpellBackendTest, AnyValueOfTheVariableCountsAsPresent) {
  for (const char* value : {"true", "false", "0", ""}) {
    ASSERT_EQ(setenv(kPreferHunspellVariable, value, 1), 0);
    auto backend = CreateSpellBackend();
    ASSERT_NE(backend, nullptr);
    EXPECT_TRUE(backend->IsHunspell()) << "value \"" << value << "\"";
    // The system backend made first is gone again, and COM with it.
    EXPECT_EQ(ComUsers::Count(), 0);
    EXPECT_EQ(com_testing::ThreadInitCount(), 0);
  }
}

TEST_F(CreateSpellBackendTest, NoFactoryGivesHunspellAndUndoesComStartUp) {
  unsetenv(kPreferHunspellVariable);
  com_testing::SetFault(com_testing::ComCall::kCreateFactory, REGDB_E_CLASSNOTREG);
  const int64_t initialisations = com_testing::CallCount(com_testing::ComCall::kCoInitializeEx);
  auto backend = CreateSpellBackend();
  ASSERT_NE(backend, nullptr);
  EXPECT_TRUE(backend->IsHunspell());
  EXPECT_EQ(com_testing::CallCount(com_testing::ComCall::kCoInitializeEx), initialisations + 1);
  EXPECT_EQ(ComUsers::Count(), 0);
  EXPECT_EQ(com_testing::ThreadInitCount(), 0);
}

TEST_F(CreateSpellBackendTest, FailedComStartUpGivesHunspell) {
  unsetenv(kPreferHunspellVariable);
  com_testing::SetFault(com_testing::ComCall::kCoInitializeEx, E_OUTOFMEMORY);
  auto backend = CreateSpellBackend();
  ASSERT_NE(backend, nullptr);
  EXPECT_TRUE(backend->IsHunspell());
  EXPECT_FALSE(backend->SetDictionary("en-US", "/nonexistent"));
}

TEST_F(CreateSpellBackendTest, FreshBackendsHaveNoDictionary) {
  for (bool prefer : {false, true}) {
    auto backend = CreateSpellBackendWithPreference(prefer);
    EXPECT_EQ(backend->IsHunspell(), prefer);
    EXPECT_FALSE(backend->IsMisspelled("helo"));
    EXPECT_TRUE(backend->GetCorrectionsForMisspelling("helo").empty());
  }
}

TEST_F(CreateSpellBackendTest, PreferenceIsWrittenToTheEnvironmentAndStays) {
  auto hunspell = CreateSpellBackendWithPreference(true);
  ASSERT_NE(std::getenv(kPreferHunspellVariable), nullptr);
  EXPECT_STREQ(std::getenv(kPreferHunspellVariable), "true");
  EXPECT_TRUE(hunspell->IsHunspell());

  auto system = CreateSpellBackendWithPreference(false);
  EXPECT_EQ(std::getenv(kPreferHunspellVariable), nullptr);
  EXPECT_FALSE(system->IsHunspell());
}

// One thread holds COM (so its constructions could get the system backend) and asks for
// Hunspell over and over, while another keeps removing the variable. Each construction must get
// what it asked for. COM is counted per process but started on the first user's thread, so the
// other thread starts only once the anchor holds it.
TEST_F(CreateSpellBackendTest, ConcurrentPreferencesDoNotCross) {
  constexpr int kRounds = 200;
  std::atomic<bool> anchored{false};
  std::atomic<bool> done{false};
  std::atomic<bool> stopped{false};
  std::atomic<int> wrong{0};
  std::thread preferring([&] {
    auto anchor = CreateSpellBackendWithPreference(false);
    EXPECT_FALSE(anchor->IsHunspell()) << "no system backend to hold COM";
    anchored = true;
    for (int i = 0; i < kRounds && !anchor->IsHunspell(); ++i) {
      if (!CreateSpellBackendWithPreference(true)->IsHunspell()) ++wrong;
    }
    done = true;
    // The anchor, the last COM user, ends COM on the thread that started it.
    while (!stopped) std::this_thread::yield();
  });
  std::thread removing([&] {
    while (!anchored && !done) std::this_thread::yield();
    while (!done) CreateSpellBackendWithPreference(false);
    stopped = true;
  });
  preferring.join();
  removing.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace spellchecker
