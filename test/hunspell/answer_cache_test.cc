#include "backends/hunspell/answer_cache.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace spellchecker {
namespace {

using namespace std::string_literals;

TEST(VerdictCache, RemembersEachVerdictUnderItsExactBytes) {
  VerdictCache cache;
  bool rejected = false;
  EXPECT_FALSE(cache.Find("word", &rejected));
  cache.Insert("word", true);
  cache.Insert("Word", false);
  cache.Insert("", false);
  cache.Insert("a\0b"s, true);

  ASSERT_TRUE(cache.Find("word", &rejected));
  EXPECT_TRUE(rejected);
  ASSERT_TRUE(cache.Find("Word", &rejected));
  EXPECT_FALSE(rejected);
  ASSERT_TRUE(cache.Find("", &rejected));
  EXPECT_FALSE(rejected);
  ASSERT_TRUE(cache.Find("a\0b"s, &rejected));
  EXPECT_TRUE(rejected);
  // Prefixes, case variants and longer forms are other words.
  EXPECT_FALSE(cache.Find("wor", &rejected));
  EXPECT_FALSE(cache.Find("words", &rejected));
  EXPECT_FALSE(cache.Find("WORD", &rejected));
  EXPECT_FALSE(cache.Find("a", &rejected));
}

TEST(VerdictCache, ClearForgetsEverythingAndLaterWordsAreKept) {
  VerdictCache cache;
  cache.Insert("one", true);
  cache.Insert("two", false);
  cache.Clear();
  bool rejected = false;
  EXPECT_FALSE(cache.Find("one", &rejected));
  EXPECT_FALSE(cache.Find("two", &rejected));
  cache.Insert("one", false);
  ASSERT_TRUE(cache.Find("one", &rejected));
  EXPECT_FALSE(rejected);
}

TEST(VerdictCache, WordsBeyondTheKeySizeAreNotRemembered) {
  VerdictCache cache;
  const std::string longest(VerdictCache::kLongestWordBytes, 'x');
  const std::string too_long(VerdictCache::kLongestWordBytes + 1, 'x');
  cache.Insert(longest, true);
  cache.Insert(too_long, false);
  bool rejected = false;
  ASSERT_TRUE(cache.Find(longest, &rejected));
  EXPECT_TRUE(rejected);
  EXPECT_FALSE(cache.Find(too_long, &rejected));
}

TEST(VerdictCache, InsertingAgainReplacesTheVerdict) {
  VerdictCache cache;
  cache.Insert("word", true);
  cache.Insert("word", false);
  bool rejected = true;
  ASSERT_TRUE(cache.Find("word", &rejected));
  EXPECT_FALSE(rejected);
}

// Far more words than entries: every hit must still give the verdict last inserted for that
// word, and a fair share of recent words must still be found.
TEST(VerdictCache, EvictionNeverMixesUpWords) {
  VerdictCache cache;
  std::mt19937 random(7);
  std::map<std::string, bool> truth;
  size_t hits = 0;
  constexpr int kWords = 200000;
  for (int i = 0; i < kWords; ++i) {
    const std::string word = "w" + std::to_string(random() % 100000);
    bool rejected = false;
    if (cache.Find(word, &rejected)) {
      ++hits;
      ASSERT_EQ(rejected, truth.at(word)) << word;
    } else {
      const bool verdict = random() % 2 == 0;
      truth[word] = verdict;
      cache.Insert(word, verdict);
    }
  }
  EXPECT_GT(hits, kWords / 10);
  EXPECT_LT(hits, kWords);
}

TEST(SuggestionCache, KeepsTheMostRecentLists) {
  SuggestionCache cache;
  EXPECT_EQ(cache.Find("helo"), nullptr);
  cache.Insert("helo", {"hello", "help"});
  const auto* found = cache.Find("helo");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, (std::vector<std::string>{"hello", "help"}));
  EXPECT_EQ(cache.Find("hel"), nullptr);

  // "helo" was used last, so it outlives the first of the fillers.
  for (size_t i = 0; i < SuggestionCache::kEntries - 1; ++i) {
    cache.Insert("filler" + std::to_string(i), {});
  }
  ASSERT_NE(cache.Find("helo"), nullptr);
  cache.Insert("newest", {"x"});
  EXPECT_EQ(cache.Find("filler0"), nullptr);
  EXPECT_NE(cache.Find("helo"), nullptr);
  EXPECT_NE(cache.Find("newest"), nullptr);

  cache.Clear();
  EXPECT_EQ(cache.Find("helo"), nullptr);
  EXPECT_EQ(cache.Find("newest"), nullptr);
}

TEST(SuggestionCache, OversizedWordsAndListsAreNotKept) {
  SuggestionCache cache;
  const std::string long_word(SuggestionCache::kLongestKeyBytes + 1, 'a');
  cache.Insert(long_word, {"a"});
  EXPECT_EQ(cache.Find(long_word), nullptr);
  const std::vector<std::string> big(2, std::string(SuggestionCache::kMaxListBytes / 2 + 1, 'b'));
  cache.Insert("big", big);
  EXPECT_EQ(cache.Find("big"), nullptr);
  // An empty list is an answer worth keeping too.
  cache.Insert("none", {});
  const auto* none = cache.Find("none");
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->empty());
}

}  // namespace
}  // namespace spellchecker
