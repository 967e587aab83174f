// Dictionaries that once brought the engine down through the backend's own operations: each row
// loads one from test/fixtures/hunspell/hostile and checks that the operations that used to fail
// give the right answers. Under the sanitizer build a fault shows as a report, not only a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"

namespace spellchecker {
namespace {

const std::string kHostile = std::string(SPELL_FIXTURES_DIR) + "/hunspell/hostile";

bool Holds(const std::vector<std::string>& list, const std::string& word) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

struct FaultCase {
  const char* tag;
  const char* fault;
  std::function<void(HunspellBackend&)> check;
};

// Names the case by its tag in test listings.
void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.tag; }

const FaultCase kCases[] = {
    {"xx-ALIAS", "remove freed the alias table's flags, then read and freed them again",
     [](HunspellBackend& backend) {
       backend.Remove("walk");
       EXPECT_TRUE(backend.IsMisspelled("walk"));
       // talk shares walk's alias: its flags must be intact.
       EXPECT_FALSE(backend.IsMisspelled("talk"));
       EXPECT_FALSE(backend.IsMisspelled("talks"));
       EXPECT_FALSE(backend.IsMisspelled("talked"));
       // Allowed again, then removed again: the flags the first removal made change hands.
       backend.Add("walk");
       EXPECT_FALSE(backend.IsMisspelled("walk"));
       backend.Remove("walk");
       EXPECT_TRUE(backend.IsMisspelled("walk"));
       EXPECT_FALSE(backend.IsMisspelled("jumps"));
       // Reloading destroys the engine that made the changes.
       ASSERT_TRUE(backend.SetDictionary("xx-ALIAS", kHostile));
       EXPECT_FALSE(backend.IsMisspelled("walk"));
     }},
    {"xx-TRY", "a 4-byte character in TRY overran the heap in suggest",
     [](HunspellBackend& backend) {
       EXPECT_TRUE(Holds(backend.GetCorrectionsForMisspelling("helo"), "hello"));
       EXPECT_TRUE(Holds(backend.GetCorrectionsForMisspelling("hxllo"), "hello"));
     }},
    {"xx-AM", "a morphological alias beyond the AM table was a null pointer while loading",
     [](HunspellBackend& backend) {
       EXPECT_FALSE(backend.IsMisspelled("cat"));
       EXPECT_FALSE(backend.IsMisspelled("dog"));
       EXPECT_TRUE(Holds(backend.GetCorrectionsForMisspelling("dgo"), "dog"));
     }},
    {"xx-NUL", "a NUL inside a listed word threw std::out_of_range from suggest",
     [](HunspellBackend& backend) {
       EXPECT_TRUE(Holds(backend.GetCorrectionsForMisspelling("dogz"), "dog"));
       EXPECT_TRUE(Holds(backend.GetCorrectionsForMisspelling("cat"), "ca"));
       EXPECT_FALSE(backend.IsMisspelled("dogs"));
     }},
    {"xx-CASE", "CHECKCOMPOUNDCASE after a cut SFX line was a null pointer in spell",
     [](HunspellBackend& backend) {
       EXPECT_FALSE(backend.IsMisspelled("foobar"));
       EXPECT_TRUE(backend.IsMisspelled("fooBar"));
     }},
    {"xx-REP", "a NUL in a REP pattern read past the word in suggest",
     [](HunspellBackend& backend) {
       // Words ending in the pattern's part before the NUL, short (on the stack) and long.
       for (const char* word : {"xxxxxxxxxxxxxa", "xxxxxxxxxxxxxxxa", "xxxxxxxxxxxxxxxxxxxxxxa"}) {
         EXPECT_TRUE(backend.GetCorrectionsForMisspelling(word).empty()) << word;
       }
       EXPECT_TRUE(Holds(backend.GetCorrectionsForMisspelling("cst"), "cat"));
     }},
};

class HunspellDictionaryFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(HunspellDictionaryFaults, AnswersAndNothingBreaks) {
  const FaultCase& c = GetParam();
  SCOPED_TRACE(c.fault);
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary(c.tag, kHostile));
  c.check(backend);
}

// One CTest case per dictionary, named after its tag, so each fault shows on its own.
INSTANTIATE_TEST_SUITE_P(Hostile, HunspellDictionaryFaults, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           std::string name = info.param.tag;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace spellchecker
