#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "test_support.h"

namespace spellchecker {
namespace {

using testing_support::FixtureDir;
using Ranges = std::vector<WordRange>;

// The test dictionary knows none of the words below except "hello", so every word the splitter
// finds and checks shows up as a range: the ranges reveal where words start and end and which
// were never checked.
struct SplitCase {
  const char* name;
  std::u16string text;
  bool with_nul;  // the length includes a terminating NUL unit
  Ranges expected;
};

void PrintTo(const SplitCase& param, std::ostream* out) { *out << param.name; }

std::string CaseName(const ::testing::TestParamInfo<SplitCase>& info) { return info.param.name; }

class FindMisspellingsSplitTest : public ::testing::TestWithParam<SplitCase> {
 protected:
  void SetUp() override { ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir())); }
  HunspellBackend backend;
};

TEST_P(FindMisspellingsSplitTest, ReportsTheRejectedWords) {
  const SplitCase& param = GetParam();
  const uint64_t length = param.text.size() + (param.with_nul ? 1 : 0);
  EXPECT_EQ(backend.FindMisspellings(param.text.c_str(), length), param.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Splitter, FindMisspellingsSplitTest,
    ::testing::Values(
        SplitCase{"TwoWordsWithNul", u"helo wrld", true, {{0, 4}, {5, 9}}},
        SplitCase{"LastWordOpenAtLength", u"helo wrld", false, {{0, 4}}},
        SplitCase{"CorrectWordNotReported", u"hello wrld hello", true, {{6, 10}}},
        SplitCase{"ApostropheInsideWord", u"don't", true, {{0, 5}}},
        SplitCase{"TrailingApostropheLeftOut", u"dgos' x", true, {{0, 4}, {6, 7}}},
        SplitCase{"ApostropheAfterCapital", u"O'Neil", true, {{0, 6}}},
        SplitCase{"ApostropheBeforeNonLetter", u"abc'1 x", true, {{0, 3}, {6, 7}}},
        SplitCase{"ApostropheAtTextEnd", u"abc'", false, {{0, 3}}},
        SplitCase{"LeadingApostrophe", u"'tis", true, {{1, 4}}},
        SplitCase{"HyphenSplits", u"e-mail", true, {{0, 1}, {2, 6}}},
        SplitCase{"DigitDropsTheWord", u"abc123 def", true, {{7, 10}}},
        SplitCase{"LeadingDigitSkipsTheToken", u"123abc", true, {}},
        SplitCase{"TokenEndsAtPunctuation", u"1abc,xyz", true, {{5, 8}}},
        SplitCase{
            "MicroSignEndsAWord", std::u16string{u'a', u'\u00B5', u'b'}, true, {{0, 1}, {2, 3}}},
        SplitCase{"MicroSignStartsAWord", std::u16string{u'\u00B5', u'm'}, true, {{0, 2}}},
        SplitCase{"NulEndsAWord", std::u16string(u"abc\0def", 7), false, {{0, 3}}},
        SplitCase{"TabsAndNewlines", u"abc\tdef\nghi", true, {{0, 3}, {4, 7}, {8, 11}}},
        SplitCase{"NoBreakSpace", u"abc\u00A0def", true, {{0, 3}, {4, 7}}},
        SplitCase{"PlusIsPunctuation", u"abc+def", true, {{0, 3}, {4, 7}}},
        SplitCase{"SymbolMakesAToken", u"abc\u20ACdef ghi", true, {{8, 11}}},
        SplitCase{"DollarIsPunctuationBelow256", u"a$b", true, {{0, 1}, {2, 3}}},
        SplitCase{"CombiningMarkDropsTheWord", u"nai\u0308ve qq", true, {{7, 9}}},
        SplitCase{"SurrogatePairDropsTheWord", u"ab\U0001D400cd qq", true, {{7, 9}}},
        SplitCase{"NonLatinLetters", u"日本 Ωμέγα", true, {{0, 2}, {3, 8}}},
        SplitCase{"OnlySeparators", u" ,.;  ", true, {}}, SplitCase{"Empty", u"", true, {}}),
    CaseName);

class FindMisspellingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(backend.SetDictionary("en-TEST", FixtureDir())); }
  HunspellBackend backend;
};

TEST_F(FindMisspellingsTest, LengthZeroGivesNothing) {
  const std::u16string text = u"helo wrld";
  EXPECT_TRUE(backend.FindMisspellings(text.c_str(), 0).empty());
  EXPECT_TRUE(backend.FindMisspellings(nullptr, 0).empty());
}

TEST_F(FindMisspellingsTest, CorrectWordsWithAffixesAndNonAscii) {
  const std::u16string text = u"hello dogs, naïve zażółć; zazolc";
  EXPECT_EQ(backend.FindMisspellings(text.c_str(), text.size() + 1), (Ranges{{26, 32}}));
}

TEST_F(FindMisspellingsTest, AddedWordIsAccepted) {
  const std::u16string text = u"qwertz hello";
  ASSERT_EQ(backend.FindMisspellings(text.c_str(), text.size() + 1), (Ranges{{0, 6}}));
  backend.Add("qwertz");
  EXPECT_TRUE(backend.FindMisspellings(text.c_str(), text.size() + 1).empty());
}

// The word's UTF-8 form must fit 255 bytes; a longer word is checked as the empty string, which
// the engine accepts.
TEST_F(FindMisspellingsTest, LongWordsAtTheByteLimit) {
  const std::u16string letters255(255, u'q');
  std::u16string text =
      letters255 + u" " + std::u16string(256, u'q') + u" " + std::u16string(300, u'q');
  EXPECT_EQ(backend.FindMisspellings(text.c_str(), text.size() + 1), (Ranges{{0, 255}}));

  // Bytes, not units: 127 two-byte letters plus one is 255 bytes, 128 of them 256.
  const std::u16string fits = std::u16string(127, u'é') + u"q";
  const std::u16string too_long = std::u16string(128, u'é');
  text = fits + u" " + too_long;
  EXPECT_EQ(backend.FindMisspellings(text.c_str(), text.size() + 1), (Ranges{{0, 128}}));
}

TEST_F(FindMisspellingsTest, WordAtTheLimitReachesTheEngineUnchanged) {
  const std::string word(255, 'q');
  backend.Add(word);
  ASSERT_FALSE(backend.IsMisspelled(word));
  const std::u16string text(255, u'q');
  EXPECT_TRUE(backend.FindMisspellings(text.c_str(), text.size() + 1).empty());
  EXPECT_TRUE(backend.IsMisspelled(word + "q"));
}

}  // namespace
}  // namespace spellchecker
