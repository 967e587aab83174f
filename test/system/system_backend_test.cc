// SystemSpellBackend and SystemRangeChecker over the COM layer.

#include "backends/system/com_users.h"
#include "backends/system/system_spell_backend.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "com_sandbox.h"

namespace spellchecker {
namespace {

using com_testing::ComCall;

std::vector<WordRange> Find(RangeChecker& checker, const std::u16string& text) {
  return checker.FindMisspellings(text.data(), text.size());
}
std::vector<WordRange> Find(SpellBackend& backend, const std::u16string& text) {
  return backend.FindMisspellings(text.data(), text.size());
}

// Misspelled in the test language only, in English only, in both.
const std::u16string kMixedText = u"children \u017C\u00F3\u0142w zorblax";
const std::vector<WordRange> kEnglishRanges = {{9, 13}, {14, 21}};
const std::vector<WordRange> kTestLanguageRanges = {{0, 8}, {14, 21}};
const char kTestLanguageWord[] = "\xC5\xBC\xC3\xB3\xC5\x82w";

class SystemBackendTest : public ComSandboxTest {};

TEST_F(SystemBackendTest, ConstructionInitialisesComAndCreatesTheFactoryAndTable) {
  const int64_t inits = Calls(ComCall::kCoInitializeEx);
  const int64_t uninits = Calls(ComCall::kCoUninitialize);
  {
    SystemSpellBackend backend;
    EXPECT_EQ(ComUsers::Count(), 1);
    EXPECT_FALSE(ComUsers::InitFailed());
    EXPECT_TRUE(backend.HasFactory());
    EXPECT_FALSE(backend.IsHunspell());
    EXPECT_EQ(Calls(ComCall::kCoInitializeEx), inits + 1);
    EXPECT_EQ(com_testing::ThreadInitCount(), 1);
  }
  EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits + 1);
  EXPECT_EQ(com_testing::ThreadInitCount(), 0);
}

TEST_F(SystemBackendTest, ABackendBuiltAndDestroyedAtOnceInitialisesComOnceInPassing) {
  for (int round = 0; round < 2; ++round) {
    const int64_t inits = Calls(ComCall::kCoInitializeEx);
    const int64_t uninits = Calls(ComCall::kCoUninitialize);
    std::make_unique<SystemSpellBackend>().reset();
    EXPECT_EQ(Calls(ComCall::kCoInitializeEx), inits + 1);
    EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits + 1);
    EXPECT_EQ(com_testing::ThreadInitCount(), 0);
    EXPECT_EQ(ComUsers::Count(), 0);
  }
}

TEST_F(SystemBackendTest, OnlyTheFirstOfTwoInitialisesAndOnlyTheLastUninitialises) {
  const int64_t inits = Calls(ComCall::kCoInitializeEx);
  const int64_t uninits = Calls(ComCall::kCoUninitialize);
  auto first = std::make_unique<SystemSpellBackend>();
  auto second = std::make_unique<SystemSpellBackend>();
  EXPECT_EQ(ComUsers::Count(), 2);
  EXPECT_EQ(Calls(ComCall::kCoInitializeEx), inits + 1);
  EXPECT_TRUE(second->HasFactory());
  ASSERT_TRUE(first->SetDictionary("en_US", ""));
  ASSERT_TRUE(second->SetDictionary("xx_TEST", ""));
  EXPECT_EQ(Find(*first, kMixedText), kEnglishRanges);
  EXPECT_EQ(Find(*second, kMixedText), kTestLanguageRanges);

  first.reset();
  EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits);
  EXPECT_EQ(com_testing::ThreadInitCount(), 1);
  EXPECT_FALSE(second->IsMisspelled(kTestLanguageWord));
  EXPECT_TRUE(second->IsMisspelled("children"));
  second.reset();
  EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits + 1);
}

TEST_F(SystemBackendTest, WithoutADictionaryNothingReachesTheService) {
  SystemSpellBackend backend;
  const int64_t checks = Calls(ComCall::kCheck);
  const int64_t suggests = Calls(ComCall::kSuggest);
  const int64_t adds = Calls(ComCall::kAdd);
  const int64_t inits = Calls(ComCall::kCoInitializeEx);
  const int64_t uninits = Calls(ComCall::kCoUninitialize);

  EXPECT_FALSE(backend.IsMisspelled("helo"));
  EXPECT_TRUE(backend.GetCorrectionsForMisspelling("helo").empty());
  EXPECT_TRUE(Find(backend, u"helo wrold").empty());
  backend.Add("zorblax");
  backend.Remove("zorblax");
  {
    std::unique_ptr<RangeChecker> range_checker = backend.MakeRangeChecker();
    EXPECT_TRUE(Find(*range_checker, u"helo wrold").empty());
  }
  EXPECT_EQ(Calls(ComCall::kCheck), checks);
  EXPECT_EQ(Calls(ComCall::kSuggest), suggests);
  EXPECT_EQ(Calls(ComCall::kAdd), adds);
  EXPECT_EQ(Calls(ComCall::kCoInitializeEx), inits);
  EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits);

  // The Add above changed nothing.
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  EXPECT_TRUE(backend.IsMisspelled("zorblax"));
}

TEST_F(SystemBackendTest, TagsGoInWithDashesAndComeOutAsTheServiceSpellsThem) {
  SystemSpellBackend backend;
  EXPECT_TRUE(backend.SetDictionary("en_US", "/nonexistent"));
  EXPECT_TRUE(backend.IsMisspelled("helo"));
  EXPECT_TRUE(backend.SetDictionary("en-US", ""));
  EXPECT_TRUE(backend.IsMisspelled("helo"));
  EXPECT_FALSE(backend.SetDictionary("EN_us", ""));  // case is kept

  const std::vector<std::string> tags = backend.GetAvailableDictionaries("/nonexistent");
  std::vector<std::string> expected = DirectEnchant().Tags();
  for (std::string& tag : expected) {
    std::replace(tag.begin(), tag.end(), '_', '-');
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(tags, expected);
  for (const char* tag : {"en-US", "xx-TEST"}) {
    EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
  }
  for (const std::string& tag : tags) {
    EXPECT_EQ(tag.find('_'), std::string::npos) << tag;
  }
}

TEST_F(SystemBackendTest, ChecksAndSuggestsWithTheServicesAnswers) {
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  EXPECT_TRUE(backend.IsMisspelled("helo"));
  EXPECT_FALSE(backend.IsMisspelled("hello"));
  EXPECT_FALSE(backend.IsMisspelled(""));
  EXPECT_TRUE(backend.IsMisspelled("hello helo"));  // any error in the text counts
  EXPECT_TRUE(backend.IsMisspelled(kTestLanguageWord));

  const std::vector<std::string> expected = DirectEnchant().Suggest("helo");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("helo"), expected);
  EXPECT_TRUE(backend.GetCorrectionsForMisspelling("hello").empty());
  EXPECT_TRUE(backend.GetCorrectionsForMisspelling("").empty());
}

TEST_F(SystemBackendTest, AWordIsMisspelledWhateverCorrectiveActionItsErrorCarries) {
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  for (CORRECTIVE_ACTION action :
       {CORRECTIVE_ACTION_GET_SUGGESTIONS, CORRECTIVE_ACTION_REPLACE, CORRECTIVE_ACTION_DELETE}) {
    com_testing::SetReportedCorrectiveAction(action);
    EXPECT_TRUE(backend.IsMisspelled("helo")) << action;
    EXPECT_EQ(Find(backend, u"a helo"), (std::vector<WordRange>{{2, 6}})) << action;
  }
}

TEST_F(SystemBackendTest, RangesCountUtf16Units) {
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  // The emoji is one character but two units, so "helo" starts at unit 3, character 2.
  EXPECT_EQ(Find(backend, u"\U0001F600 helo"), (std::vector<WordRange>{{3, 7}}));
  EXPECT_EQ(Find(backend, u"I sea a helo wrold"), (std::vector<WordRange>{{8, 12}, {13, 18}}));
  EXPECT_TRUE(Find(backend, u"").empty());
  EXPECT_TRUE(backend.FindMisspellings(nullptr, 0).empty());
  const std::u16string text = u"helo wrold";
  EXPECT_EQ(backend.FindMisspellings(text.data(), 4), (std::vector<WordRange>{{0, 4}}));
}

TEST_F(SystemBackendTest, RemoveLeavesAnAddedWordAccepted) {
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  ASSERT_TRUE(backend.IsMisspelled("zorblax"));
  backend.Add("zorblax");
  EXPECT_FALSE(backend.IsMisspelled("zorblax"));
  backend.Remove("zorblax");
  EXPECT_FALSE(backend.IsMisspelled("zorblax"));
  EXPECT_TRUE(backend.GetCorrectionsForMisspelling("zorblax").empty());
  EXPECT_TRUE(std::filesystem::exists(config_dir / "en_US.dic"));
}

// Failure table.

TEST_F(SystemBackendTest, FailedComInitialisationLeavesABackendWithoutService) {
  const int64_t factories = Calls(ComCall::kCreateFactory);
  const int64_t tables = Calls(ComCall::kCreateGlobalTable);
  const int64_t uninits = Calls(ComCall::kCoUninitialize);
  com_testing::SetFault(ComCall::kCoInitializeEx, E_FAIL);
  {
    SystemSpellBackend backend;
    EXPECT_TRUE(ComUsers::InitFailed());
    EXPECT_FALSE(backend.HasFactory());
    EXPECT_EQ(Calls(ComCall::kCreateFactory), factories);
    EXPECT_EQ(Calls(ComCall::kCreateGlobalTable), tables);
    EXPECT_FALSE(backend.SetDictionary("en_US", ""));
    EXPECT_TRUE(backend.GetAvailableDictionaries("").empty());
    EXPECT_TRUE(Find(*backend.MakeRangeChecker(), u"helo").empty());
  }
  EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits);
  EXPECT_EQ(com_testing::ThreadInitCount(), 0);

  // The next first construction tries again.
  com_testing::ClearFaults();
  SystemSpellBackend backend;
  EXPECT_FALSE(ComUsers::InitFailed());
  EXPECT_TRUE(backend.HasFactory());
  EXPECT_TRUE(backend.SetDictionary("en_US", ""));
}

TEST_F(SystemBackendTest, WithoutAFactorySetDictionaryChangesNothing) {
  com_testing::SetFault(ComCall::kCreateFactory, REGDB_E_CLASSNOTREG);
  SystemSpellBackend backend;
  EXPECT_FALSE(ComUsers::InitFailed());
  EXPECT_FALSE(backend.HasFactory());
  const int64_t asked = Calls(ComCall::kIsSupported);
  EXPECT_FALSE(backend.SetDictionary("en_US", ""));
  EXPECT_EQ(Calls(ComCall::kIsSupported), asked);
  EXPECT_TRUE(backend.GetAvailableDictionaries("").empty());
  EXPECT_FALSE(backend.IsMisspelled("helo"));
}

TEST_F(SystemBackendTest, WithoutAnInterfaceTableEverySetDictionaryFails) {
  com_testing::SetFault(ComCall::kCreateGlobalTable, E_FAIL);
  SystemSpellBackend backend;
  com_testing::ClearFaults();
  EXPECT_TRUE(backend.HasFactory());
  const int64_t created = Calls(ComCall::kCreateSpellChecker);
  const int64_t registered = Calls(ComCall::kRegisterInterface);
  EXPECT_FALSE(backend.SetDictionary("en_US", ""));
  EXPECT_EQ(Calls(ComCall::kCreateSpellChecker), created + 1);
  EXPECT_EQ(Calls(ComCall::kRegisterInterface), registered);
  EXPECT_FALSE(backend.IsMisspelled("helo"));
  EXPECT_FALSE(backend.GetAvailableDictionaries("").empty());
}

struct SetDictionaryFault {
  const char* name;
  ComCall call;
  HRESULT result;
};

TEST_F(SystemBackendTest, AFailedSetDictionaryLeavesNoDictionary) {
  const std::vector<SetDictionaryFault> faults = {
      {"IsSupported fails", ComCall::kIsSupported, E_FAIL},
      {"IsSupported answers false", ComCall::kIsSupported, S_OK},
      {"CreateSpellChecker fails", ComCall::kCreateSpellChecker, E_FAIL},
      {"CreateSpellChecker gives null", ComCall::kCreateSpellChecker, S_OK},
      {"QueryInterface fails", ComCall::kCheckerQueryInterface, E_NOINTERFACE},
      {"QueryInterface gives null", ComCall::kCheckerQueryInterface, S_OK},
      {"registration fails", ComCall::kRegisterInterface, E_OUTOFMEMORY},
      {"registration gives cookie 0", ComCall::kRegisterInterface, S_OK},
  };
  for (const SetDictionaryFault& fault : faults) {
    SCOPED_TRACE(fault.name);
    SystemSpellBackend backend;
    ASSERT_TRUE(backend.SetDictionary("en_US", ""));
    const int64_t live = com_testing::LiveObjects();
    com_testing::SetFault(fault.call, fault.result);
    EXPECT_FALSE(backend.SetDictionary("xx_TEST", ""));
    com_testing::ClearFaults();
    EXPECT_LT(com_testing::LiveObjects(), live);  // the English checker is gone
    EXPECT_EQ(com_testing::RegisteredInterfaces(), 0);
    EXPECT_FALSE(backend.IsMisspelled("helo"));
    EXPECT_TRUE(backend.GetCorrectionsForMisspelling("helo").empty());
    EXPECT_TRUE(Find(backend, u"helo").empty());
    EXPECT_TRUE(Find(*backend.MakeRangeChecker(), u"helo").empty());
    // The backend still works.
    EXPECT_TRUE(backend.SetDictionary("xx_TEST", ""));
    EXPECT_EQ(Find(backend, kMixedText), kTestLanguageRanges);
  }
}

TEST_F(SystemBackendTest, AnUnsupportedTagLeavesNoDictionary) {
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  // Enchant alone would serve en_ZZ from the en_US dictionary.
  EXPECT_FALSE(backend.SetDictionary("en_ZZ", ""));
  EXPECT_FALSE(backend.IsMisspelled("helo"));
  EXPECT_TRUE(backend.GetCorrectionsForMisspelling("helo").empty());
  EXPECT_EQ(com_testing::RegisteredInterfaces(), 0);
  EXPECT_FALSE(backend.SetDictionary("", ""));
}

TEST_F(SystemBackendTest, FailuresOfCheckSuggestAndLanguagesGiveEmptyAnswers) {
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  com_testing::SetFault(ComCall::kCheck, E_FAIL);
  EXPECT_FALSE(backend.IsMisspelled("helo"));
  EXPECT_TRUE(Find(backend, u"helo").empty());
  com_testing::SetFault(ComCall::kSuggest, E_FAIL);
  EXPECT_TRUE(backend.GetCorrectionsForMisspelling("helo").empty());
  com_testing::SetFault(ComCall::kGetSupportedLanguages, E_FAIL);
  EXPECT_TRUE(backend.GetAvailableDictionaries("").empty());
  com_testing::SetFault(ComCall::kAdd, E_FAIL);
  backend.Add("zorblax");

  com_testing::ClearFaults();
  EXPECT_TRUE(backend.IsMisspelled("helo"));
  EXPECT_TRUE(backend.IsMisspelled("zorblax"));
  EXPECT_FALSE(backend.GetCorrectionsForMisspelling("helo").empty());
  EXPECT_FALSE(backend.GetAvailableDictionaries("").empty());
}

// Range checkers on other threads.

TEST_F(SystemBackendTest, ARangeCheckerKeepsItsLanguageAfterSetDictionary) {
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  const int64_t inits = Calls(ComCall::kCoInitializeEx);
  const int64_t uninits = Calls(ComCall::kCoUninitialize);
  std::promise<void> made;
  std::promise<void> switched;
  std::vector<WordRange> before;
  std::vector<WordRange> after;
  int init_count_while_alive = -1;
  int init_count_after = -1;
  std::thread worker([&] {
    std::unique_ptr<RangeChecker> range_checker = backend.MakeRangeChecker();
    before = Find(*range_checker, kMixedText);
    init_count_while_alive = com_testing::ThreadInitCount();
    made.set_value();
    switched.get_future().wait();
    after = Find(*range_checker, kMixedText);
    range_checker.reset();
    init_count_after = com_testing::ThreadInitCount();
  });
  made.get_future().wait();
  // Revokes the checker the worker fetched.
  EXPECT_TRUE(backend.SetDictionary("xx_TEST", ""));
  EXPECT_EQ(Find(backend, kMixedText), kTestLanguageRanges);
  switched.set_value();
  worker.join();

  EXPECT_EQ(before, kEnglishRanges);
  EXPECT_EQ(after, kEnglishRanges);
  EXPECT_EQ(init_count_while_alive, 1);
  EXPECT_EQ(init_count_after, 0);
  EXPECT_EQ(Calls(ComCall::kCoInitializeEx), inits + 1);
  EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits + 1);
}

TEST_F(SystemBackendTest, ARangeCheckerMadeWithoutADictionaryFindsNothingAndTouchesNoCom) {
  SystemSpellBackend backend;
  const int64_t inits = Calls(ComCall::kCoInitializeEx);
  const int64_t uninits = Calls(ComCall::kCoUninitialize);
  std::vector<WordRange> found = {{1, 2}};
  std::thread([&] {
    std::unique_ptr<RangeChecker> range_checker = backend.MakeRangeChecker();
    found = Find(*range_checker, kMixedText);
  }).join();
  EXPECT_TRUE(found.empty());
  EXPECT_EQ(Calls(ComCall::kCoInitializeEx), inits);
  EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits);
}

struct RangeCheckerFault {
  const char* name;
  ComCall call;
  bool uninitialises;  // the object's own CoInitializeEx succeeded
};

TEST_F(SystemBackendTest, ARangeCheckerThatCannotGetACheckerFindsNothing) {
  const std::vector<RangeCheckerFault> faults = {
      {"CoInitializeEx fails", ComCall::kCoInitializeEx, false},
      {"the table cannot be created", ComCall::kCreateGlobalTable, true},
      {"GetInterfaceFromGlobal fails", ComCall::kGetInterface, true},
  };
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  for (const RangeCheckerFault& fault : faults) {
    SCOPED_TRACE(fault.name);
    const int64_t uninits = Calls(ComCall::kCoUninitialize);
    std::vector<WordRange> found = {{1, 2}};
    int init_count_after = -1;
    com_testing::SetFault(fault.call, E_FAIL);
    std::thread([&] {
      std::unique_ptr<RangeChecker> range_checker = backend.MakeRangeChecker();
      found = Find(*range_checker, kMixedText);
      range_checker.reset();
      init_count_after = com_testing::ThreadInitCount();
    }).join();
    com_testing::ClearFaults();
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(init_count_after, 0);
    EXPECT_EQ(Calls(ComCall::kCoUninitialize), uninits + (fault.uninitialises ? 1 : 0));
  }
  // A range checker on the backend's own thread shares its apartment.
  std::unique_ptr<RangeChecker> same_thread = backend.MakeRangeChecker();
  EXPECT_EQ(Find(*same_thread, kMixedText), kEnglishRanges);
}

// Range checkers made on other threads while the backend switches languages: each finds the
// English or the test language's errors, or nothing when its fetch met a revoked cookie.
TEST_F(SystemBackendTest, RangeCheckersMadeWhileTheLanguageChanges) {
  SystemSpellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en_US", ""));
  std::atomic<bool> done{false};
  std::atomic<int> unexpected{0};
  std::atomic<int> made{0};
  auto work = [&] {
    while (!done.load()) {
      std::unique_ptr<RangeChecker> range_checker = backend.MakeRangeChecker();
      const std::vector<WordRange> found = Find(*range_checker, kMixedText);
      if (!found.empty() && found != kEnglishRanges && found != kTestLanguageRanges) {
        ++unexpected;
      }
      ++made;
    }
  };
  std::thread first(work);
  std::thread second(work);
  for (int round = 0; round < 6; ++round) {
    EXPECT_TRUE(backend.SetDictionary(round % 2 == 0 ? "xx_TEST" : "en_US", ""));
  }
  while (made.load() < 4) {
    std::this_thread::yield();
  }
  done = true;
  first.join();
  second.join();
  EXPECT_EQ(unexpected.load(), 0);
  EXPECT_EQ(Find(backend, kMixedText), kEnglishRanges);
}

}  // namespace
}  // namespace spellchecker
