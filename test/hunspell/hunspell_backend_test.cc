#include "backends/hunspell/hunspell_backend.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace spellchecker {
namespace {

using testing_support::FixtureDir;
using testing_support::TempDir;

using Strings = std::vector<std::string>;

// Each temporary dictionary holds one marker word, so the engine's answer for that word shows
// which pair was loaded.
struct PathCase {
  const char* language;
  const char* directory_suffix;  // appended to the temporary directory
  const char* file_stem;         // where the pair is written, relative to it
};

void PrintTo(const PathCase& param, std::ostream* out) {
  *out << param.language << " in <dir>" << param.directory_suffix;
}

class HunspellPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(HunspellPathTest, LoadsThePairNamedAfterTheMappedTag) {
  const PathCase& param = GetParam();
  TempDir dir;
  dir.WriteDictionary(param.file_stem, "markerword");
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary(param.language, dir.path() + param.directory_suffix));
  EXPECT_FALSE(backend.IsMisspelled("markerword"));
  EXPECT_TRUE(backend.IsMisspelled("otherword"));
}

INSTANTIATE_TEST_SUITE_P(
    TagAndDirectory, HunspellPathTest,
    ::testing::Values(PathCase{"en-US", "", "en_US"}, PathCase{"sr-Latn-RS", "", "sr_Latn_RS"},
                      PathCase{"EN-us", "", "EN_us"}, PathCase{"en_US", "", "en_US"},
                      PathCase{"en-US", "/dicts", "dicts/en_US"},
                      PathCase{"en-US", "/dicts/", "dicts/en_US"}, PathCase{"--", "", "__"}));

TEST(HunspellBackendPaths, CaseOfTheTagIsKept) {
  TempDir dir;
  dir.WriteDictionary("EN_us", "markerword");
  HunspellBackend backend;
  EXPECT_FALSE(backend.SetDictionary("en-US", dir.path()));
  EXPECT_FALSE(backend.SetDictionary("EN-US", dir.path()));
  EXPECT_TRUE(backend.SetDictionary("EN-us", dir.path()));
}

TEST(HunspellBackendPaths, OnlyHyphensAreMapped) {
  TempDir dir;
  dir.WriteDictionary("en_US", "markerword");
  HunspellBackend backend;
  EXPECT_FALSE(backend.SetDictionary(" en-US", dir.path()));
  EXPECT_FALSE(backend.SetDictionary("en-US ", dir.path()));
  EXPECT_FALSE(backend.SetDictionary("en.US", dir.path()));
}

TEST(HunspellBackendPaths, EmptyDirectoryMeansTheRoot) {
  // With an empty directory the path is "/" + tag + ".dic", so a tag naming a path below the
  // root (without hyphens) reaches the temporary directory.
  TempDir dir;
  ASSERT_EQ(dir.path().find('-'), std::string::npos);
  ASSERT_EQ(dir.path()[0], '/');
  dir.WriteDictionary("xx_YY", "markerword");
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary(dir.path().substr(1) + "/xx-YY", ""));
  EXPECT_FALSE(backend.IsMisspelled("markerword"));
}

TEST(HunspellBackendPaths, DotDirectoryIsTheCurrentDirectory) {
  TempDir dir;
  dir.WriteDictionary("en_US", "markerword");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  HunspellBackend backend;
  const bool loaded = backend.SetDictionary("en-US", ".");
  const bool marker_misspelled = backend.IsMisspelled("markerword");
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_TRUE(loaded);
  EXPECT_FALSE(marker_misspelled);
}

TEST(HunspellBackendPaths, OnlyTheAffixFileIsNotEnough) {
  TempDir dir;
  dir.Write("en_US.aff", "SET UTF-8\n");
  HunspellBackend backend;
  EXPECT_FALSE(backend.SetDictionary("en-US", dir.path()));
  EXPECT_FALSE(backend.IsMisspelled("anything"));
}

TEST(HunspellBackendPaths, OnlyTheWordListIsEnough) {
  TempDir dir;
  dir.Write("en_US.dic", "1\nmarkerword\n");
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-US", dir.path()));
  EXPECT_FALSE(backend.IsMisspelled("markerword"));
  EXPECT_TRUE(backend.IsMisspelled("otherword"));
}

TEST(HunspellBackendPaths, CompressedWordListAloneIsNotEnough) {
  TempDir dir;
  dir.Write("en_US.aff", "SET UTF-8\n");
  dir.Write("en_US.dic.hz", "not really compressed");
  HunspellBackend backend;
  EXPECT_FALSE(backend.SetDictionary("en-US", dir.path()));
}

TEST(HunspellBackendPaths, MissingDirectoryFails) {
  HunspellBackend backend;
  EXPECT_FALSE(backend.SetDictionary("en-US", "/nonexistent/directory"));
  EXPECT_FALSE(backend.SetDictionary("", ""));
}

TEST(HunspellBackendState, FreshBackendIsNeutral) {
  HunspellBackend backend;
  EXPECT_TRUE(backend.IsHunspell());
  EXPECT_FALSE(backend.IsMisspelled("helo"));
  EXPECT_FALSE(backend.IsMisspelled("日本"));
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("helo"), Strings{});
  const std::u16string text = u"helo wrld";
  EXPECT_TRUE(backend.FindMisspellings(text.c_str(), text.size() + 1).empty());
  EXPECT_TRUE(backend.GetAvailableDictionaries(FixtureDir()).empty());
}

TEST(HunspellBackendState, AvailableDictionariesAreAlwaysEmpty) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  EXPECT_TRUE(backend.GetAvailableDictionaries(FixtureDir()).empty());
  EXPECT_TRUE(backend.GetAvailableDictionaries("").empty());
  EXPECT_TRUE(backend.IsHunspell());
}

TEST(HunspellBackendState, FailedLoadDropsThePreviousDictionary) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  ASSERT_TRUE(backend.IsMisspelled("helo"));
  EXPECT_FALSE(backend.SetDictionary("xx-NONE", FixtureDir()));
  EXPECT_FALSE(backend.IsMisspelled("helo"));
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("helo"), Strings{});
  const std::u16string text = u"helo wrld";
  EXPECT_TRUE(backend.FindMisspellings(text.c_str(), text.size() + 1).empty());
  backend.Add("helo");  // no dictionary: nothing to change
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  EXPECT_TRUE(backend.IsMisspelled("helo"));
}

// The estimate follows the dictionary in use and grows with its files.
TEST(HunspellBackendState, DictionaryMemoryFollowsTheDictionaryInUse) {
  TempDir dir;
  dir.WriteDictionary("small", "word");
  std::string many_words = "1000\n";
  for (int i = 0; i < 1000; ++i) many_words += "word" + std::to_string(i) + "\n";
  dir.Write("large.aff", "SET UTF-8\n");
  dir.Write("large.dic", many_words);

  HunspellBackend backend;
  EXPECT_EQ(backend.DictionaryMemory(), 0u);
  ASSERT_TRUE(backend.SetDictionary("small", dir.path()));
  const uint64_t small = backend.DictionaryMemory();
  EXPECT_GT(small, 0u);
  ASSERT_TRUE(backend.SetDictionary("large", dir.path()));
  EXPECT_GT(backend.DictionaryMemory(), small + many_words.size());
  EXPECT_FALSE(backend.SetDictionary("missing", dir.path()));
  EXPECT_EQ(backend.DictionaryMemory(), 0u);
  ASSERT_TRUE(backend.SetDictionary("small", dir.path()));
  EXPECT_EQ(backend.DictionaryMemory(), small);
}

TEST(HunspellBackendState, SwitchingDictionariesReplacesTheWords) {
  TempDir dir;
  dir.WriteDictionary("aa", "firstword");
  dir.WriteDictionary("bb", "secondword");
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("aa", dir.path()));
  EXPECT_FALSE(backend.IsMisspelled("firstword"));
  EXPECT_TRUE(backend.IsMisspelled("secondword"));
  ASSERT_TRUE(backend.SetDictionary("bb", dir.path()));
  EXPECT_TRUE(backend.IsMisspelled("firstword"));
  EXPECT_FALSE(backend.IsMisspelled("secondword"));
}

TEST(HunspellBackendState, AddedWordIsLostOnReload) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  ASSERT_TRUE(backend.IsMisspelled("qwertzuiop"));
  backend.Add("qwertzuiop");
  EXPECT_FALSE(backend.IsMisspelled("qwertzuiop"));
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  EXPECT_TRUE(backend.IsMisspelled("qwertzuiop"));
}

TEST(HunspellBackendState, RemovedWordIsBackOnReload) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  ASSERT_FALSE(backend.IsMisspelled("hello"));
  backend.Remove("hello");
  EXPECT_TRUE(backend.IsMisspelled("hello"));
  backend.Add("hello");  // a removed word is allowed again
  EXPECT_FALSE(backend.IsMisspelled("hello"));
  backend.Remove("hello");
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  EXPECT_FALSE(backend.IsMisspelled("hello"));
}

TEST(HunspellBackendState, AddBeforeAnyDictionaryHasNoEffect) {
  HunspellBackend backend;
  backend.Add("qwertzuiop");
  backend.Remove("hello");
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  EXPECT_TRUE(backend.IsMisspelled("qwertzuiop"));
  EXPECT_FALSE(backend.IsMisspelled("hello"));
}

TEST(HunspellBackendWords, ChecksWithAffixes) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  for (const char* word : {"hello", "world", "dog", "dogs", "cats", "naïve", "zażółć", ""}) {
    EXPECT_FALSE(backend.IsMisspelled(word)) << word;
  }
  for (const char* word : {"helo", "worlds", "naive", "zazolc", "日本", "dogss"}) {
    EXPECT_TRUE(backend.IsMisspelled(word)) << word;
  }
}

TEST(HunspellBackendWords, EngineSeesAWordOnlyUpToItsNul) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  EXPECT_FALSE(backend.IsMisspelled(std::string("hello\0xq", 8)));
  EXPECT_TRUE(backend.IsMisspelled(std::string("helo\0hello", 10)));
  EXPECT_FALSE(backend.IsMisspelled(std::string("\0helo", 5)));
  EXPECT_EQ(backend.GetCorrectionsForMisspelling(std::string("helo\0zzz", 8)),
            backend.GetCorrectionsForMisspelling("helo"));
  backend.Add(std::string("qwertzuiop\0tail", 15));
  EXPECT_FALSE(backend.IsMisspelled("qwertzuiop"));
  EXPECT_TRUE(backend.IsMisspelled("qwertzuioptail"));
  backend.Remove(std::string("world\0tail", 10));
  EXPECT_TRUE(backend.IsMisspelled("world"));
}

TEST(HunspellBackendSuggestions, ComeInTheEnginesOrder) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("helo"), Strings{"hello"});
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("fone"), Strings{"phone"});
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("zażółc"), Strings{"zażółć"});
  const Strings dog = backend.GetCorrectionsForMisspelling("dgo");
  ASSERT_FALSE(dog.empty());
  EXPECT_EQ(dog[0], "dog");
}

TEST(HunspellBackendSuggestions, WordWithoutSuggestionsGivesEmptyList) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  // The engine's list is released after every suggest, empty or not; the sanitizer build
  // reports any list left unreleased by these tests as a leak.
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("qqqqqqqqqq"), Strings{});
  EXPECT_EQ(backend.GetCorrectionsForMisspelling(""), Strings{});
}

TEST(HunspellBackendRangeChecker, DefaultCheckerReturnsTheBackendsResult) {
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir()));
  const std::u16string text = u"helo hello wrld, dogs' naive cats";
  const uint64_t length = text.size() + 1;
  const std::vector<WordRange> expected = backend.FindMisspellings(text.c_str(), length);
  ASSERT_EQ(expected, (std::vector<WordRange>{{0, 4}, {11, 15}, {23, 28}}));
  std::unique_ptr<RangeChecker> checker = backend.MakeRangeChecker();
  ASSERT_NE(checker, nullptr);
  EXPECT_EQ(checker->FindMisspellings(text.c_str(), length), expected);
  EXPECT_EQ(checker->FindMisspellings(text.c_str(), 9), backend.FindMisspellings(text.c_str(), 9));
}

}  // namespace
}  // namespace spellchecker
