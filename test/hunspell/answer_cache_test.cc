#include "backends/hunspell/answer_cache.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

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
  // However many clears follow, even once their count has gone all the way round, a word from
  // before stays gone.
  for (int i = 0; i < 70000; ++i) {
    cache.Clear();
    ASSERT_FALSE(cache.Find("one", &rejected)) << i;
  }
}

// Each table's longest word and the first length of the next table are kept under their exact
// bytes: a word differing only in its last byte is another word. Beyond the last table, nothing.
TEST(VerdictCache, WordsOfEveryTableAreRememberedExactlyAndLongerOnesNot) {
  VerdictCache cache;
  std::vector<size_t> sizes;
  for (size_t longest : VerdictCache::kTableLongestWord) {
    sizes.push_back(longest);
    sizes.push_back(longest + 1);
  }
  for (size_t size : sizes) {
    const std::string word(size, 'x');
    std::string neighbour = word;
    neighbour.back() = 'y';
    cache.Insert(word, size % 2 == 0);
    bool rejected = false;
    if (size > VerdictCache::kLongestWordBytes) {
      EXPECT_FALSE(cache.Find(word, &rejected)) << size;
      continue;
    }
    ASSERT_TRUE(cache.Find(word, &rejected)) << size;
    EXPECT_EQ(rejected, size % 2 == 0) << size;
    EXPECT_FALSE(cache.Find(neighbour, &rejected)) << size;
  }
  EXPECT_EQ(VerdictCache::kLongestWordBytes, sizes[sizes.size() - 2]);
  EXPECT_LE(VerdictCache::kMaxMemoryBytes, size_t{3} << 20);
}

// A document's working set, tens of thousands of distinct words, most of up to 12 bytes and a
// tenth longer, fits: after one pass nearly all of them are still there.
TEST(VerdictCache, HoldsADocumentsWorkingSet) {
  VerdictCache cache;
  std::mt19937 random(11);
  std::vector<std::string> words;
  constexpr size_t kDistinct = 40000;
  for (size_t i = 0; i < kDistinct; ++i) {
    std::string word = std::to_string(i) + "w";
    const size_t size = random() % 10 == 0 ? 13 + random() % 28 : 6 + random() % 7;
    if (size > word.size()) word.resize(size, static_cast<char>('a' + random() % 26));
    words.push_back(word);
    cache.Insert(word, i % 3 == 0);
  }
  size_t found = 0;
  for (size_t i = 0; i < kDistinct; ++i) {
    bool rejected = false;
    if (cache.Find(words[i], &rejected)) {
      ++found;
      ASSERT_EQ(rejected, i % 3 == 0) << words[i];
    }
  }
  EXPECT_GE(found, kDistinct * 9 / 10);
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
