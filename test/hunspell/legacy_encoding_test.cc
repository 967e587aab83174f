#include <gtest/gtest.h>
#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "backends/hunspell/dictionary_encoding.h"
#include "backends/hunspell/hunspell_backend.h"
#include "test_support.h"

namespace spellchecker {
namespace {

using testing_support::FixtureDir;
using testing_support::IsValidUtf8;
using testing_support::TempDir;
using Strings = std::vector<std::string>;
using Ranges = std::vector<WordRange>;

TEST(DictionaryEncodingNames, NormalizesLikeTheEngine) {
  EXPECT_EQ(NormalizeEncodingName("ISO8859-2"), "iso88592");
  EXPECT_EQ(NormalizeEncodingName("iso-8859_2 "), "iso88592");
  EXPECT_EQ(NormalizeEncodingName("microsoft-cp1251"), "microsoftcp1251");
  EXPECT_EQ(NormalizeEncodingName(""), "");
}

TEST(DictionaryEncodingNames, Utf8NeedsNoConversion) {
  EXPECT_EQ(DictionaryEncoding::ForDictionary("UTF-8"), nullptr);
  EXPECT_EQ(DictionaryEncoding::ForDictionary("utf8"), nullptr);
  EXPECT_NE(DictionaryEncoding::ForDictionary("ISO8859-1"), nullptr);
}

// One word per set, with its bytes in that set.
struct EncodingCase {
  const char* name;
  std::string utf8;
  std::string encoded;
};

void PrintTo(const EncodingCase& param, std::ostream* out) { *out << param.name; }

class DictionaryEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(DictionaryEncodingTest, ConvertsBothWays) {
  const EncodingCase& param = GetParam();
  const auto encoding = DictionaryEncoding::ForDictionary(param.name);
  ASSERT_NE(encoding, nullptr);
  std::string encoded = "stale";
  ASSERT_TRUE(encoding->FromUtf8(param.utf8, &encoded));
  EXPECT_EQ(encoded, param.encoded);
  std::string utf8 = "stale";
  ASSERT_TRUE(encoding->ToUtf8(param.encoded, &utf8));
  EXPECT_EQ(utf8, param.utf8);
  ASSERT_TRUE(encoding->FromUtf8("", &encoded));
  EXPECT_EQ(encoded, "");
}

INSTANTIATE_TEST_SUITE_P(
    HunspellSets, DictionaryEncodingTest,
    ::testing::Values(EncodingCase{"ISO8859-1", "naïve", "na\xEFve"},
                      EncodingCase{"ISO8859-2", "zażółć", "za\xBF\xF3\xB3\xE6"},
                      EncodingCase{"iso-8859-2", "Łódź", "\xA3\xF3\x64\xBC"},
                      EncodingCase{"ISO8859-7", "λόγος", "\xEB\xFC\xE3\xEF\xF2"},
                      EncodingCase{"ISO8859-15", "€uro", "\xA4uro"},
                      EncodingCase{"KOI8-R", "мир", "\xCD\xC9\xD2"},
                      EncodingCase{"KOI8-U", "їжак", "\xA7\xD6\xC1\xCB"},
                      EncodingCase{"microsoft-cp1251", "мир", "\xEC\xE8\xF0"},
                      EncodingCase{"TIS620-2533", "ไทย", "\xE4\xB7\xC2"}));

TEST(DictionaryEncodingFailures, UnrepresentableAndIllFormedInputFails) {
  const auto latin2 = DictionaryEncoding::ForDictionary("ISO8859-2");
  std::string out;
  EXPECT_FALSE(latin2->FromUtf8("日本", &out));
  EXPECT_FALSE(latin2->FromUtf8("zaż€", &out));
  EXPECT_FALSE(latin2->FromUtf8("ab\xC3", &out));        // truncated sequence
  EXPECT_FALSE(latin2->FromUtf8("\xC0\xAF", &out));      // overlong form
  EXPECT_FALSE(latin2->FromUtf8("\xED\xA0\x80", &out));  // encoded surrogate

  // ISO 8859-3 leaves 0xA5 undefined; such a byte cannot come back as text.
  const auto latin3 = DictionaryEncoding::ForDictionary("ISO8859-3");
  EXPECT_FALSE(latin3->ToUtf8("a\xA5", &out));
  EXPECT_FALSE(DictionaryEncoding::ForDictionary("ISO8859-1")->FromUtf8("€", &out));
}

TEST(DictionaryEncodingFailures, UnknownSetKeepsOnlyAscii) {
  const auto unknown = DictionaryEncoding::ForDictionary("X-UNHEARD-OF");
  ASSERT_NE(unknown, nullptr);
  std::string out;
  ASSERT_TRUE(unknown->FromUtf8("plain word", &out));
  EXPECT_EQ(out, "plain word");
  ASSERT_TRUE(unknown->ToUtf8("plain", &out));
  EXPECT_EQ(out, "plain");
  EXPECT_FALSE(unknown->FromUtf8("é", &out));
  EXPECT_FALSE(unknown->ToUtf8("\xE9", &out));
}

TEST(DictionaryEncodingFailures, ConverterIsReusableAfterAFailure) {
  const auto latin2 = DictionaryEncoding::ForDictionary("ISO8859-2");
  std::string out;
  ASSERT_FALSE(latin2->FromUtf8("zaż\xC3", &out));
  ASSERT_TRUE(latin2->FromUtf8("żółw", &out));
  EXPECT_EQ(out, "\xBF\xF3\xB3w");
}

// The fixture pl_TEST is written in ISO 8859-2.
class LegacyDictionaryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(backend.SetDictionary("pl-TEST", FixtureDir())); }
  HunspellBackend backend;
};

TEST_F(LegacyDictionaryTest, ChecksUtf8WordsAgainstTheLegacySet) {
  for (const char* word : {"zażółć", "gęślą", "jaźń", "kot", ""}) {
    EXPECT_FALSE(backend.IsMisspelled(word)) << word;
  }
  for (const char* word : {"zazolc", "kott", "日本", "zaż€", "za\xBF\xF3\xB3\xE6", "ab\xC3"}) {
    EXPECT_TRUE(backend.IsMisspelled(word)) << word;
  }
}

TEST_F(LegacyDictionaryTest, SuggestionsComeBackAsUtf8) {
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("zażółc"), Strings{"zażółć"});
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("gęśla"), Strings{"gęślą"});
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("日本"), Strings{});
  EXPECT_EQ(backend.GetCorrectionsForMisspelling(std::string("zażółc\0x", 10)), Strings{"zażółć"});
}

TEST_F(LegacyDictionaryTest, AddAndRemoveConvertTheWord) {
  backend.Add("żółw");
  EXPECT_FALSE(backend.IsMisspelled("żółw"));
  backend.Remove("zażółć");
  EXPECT_TRUE(backend.IsMisspelled("zażółć"));
  backend.Add(std::string("źdźbło\0x", 10));
  EXPECT_FALSE(backend.IsMisspelled("źdźbło"));
  const std::u16string text = u"żółw źdźbło";
  EXPECT_TRUE(backend.FindMisspellings(text.c_str(), text.size() + 1).empty());
}

TEST_F(LegacyDictionaryTest, UnrepresentableWordsAreIgnoredByAddAndRemove) {
  backend.Add("日本");
  EXPECT_TRUE(backend.IsMisspelled("日本"));
  // A lossy conversion would drop the euro sign and remove "zażółć".
  backend.Remove("zażółć€");
  EXPECT_FALSE(backend.IsMisspelled("zażółć"));
}

TEST_F(LegacyDictionaryTest, FindMisspellingsConvertsEachWord) {
  const std::u16string text = u"zażółć zazolc 日本 gęślą kot";
  EXPECT_EQ(backend.FindMisspellings(text.c_str(), text.size() + 1), (Ranges{{7, 13}, {14, 16}}));
  // Over-long words are still never reported.
  const std::u16string long_word(300, u'ż');
  EXPECT_TRUE(backend.FindMisspellings(long_word.c_str(), long_word.size() + 1).empty());
}

TEST_F(LegacyDictionaryTest, NoDictionaryAfterFailedLoad) {
  ASSERT_FALSE(backend.SetDictionary("pl-NONE", FixtureDir()));
  EXPECT_FALSE(backend.IsMisspelled("日本"));
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("zażółc"), Strings{});
}

TEST(LegacyDictionary, UnknownSetStillChecksAsciiWords) {
  TempDir dir;
  dir.Write("xx.aff", "SET X-UNHEARD-OF\nTRY abcdefghijklmnopqrstuvwxyz\xEF\nMAXNGRAMSUGS 0\n");
  dir.Write("xx.dic", "2\nhello\nna\xEFve\n");
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("xx", dir.path()));
  EXPECT_FALSE(backend.IsMisspelled("hello"));
  EXPECT_TRUE(backend.IsMisspelled("helo"));
  EXPECT_TRUE(backend.IsMisspelled("naïve"));
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("helo"), Strings{"hello"});
  // The engine suggests the word holding a byte of unknown meaning for "naive"; it is left out
  // rather than passed on as text it may not be.
  Hunspell engine((dir.path() + "/xx.aff").c_str(), (dir.path() + "/xx.dic").c_str());
  ASSERT_EQ(engine.suggest("naive"), Strings{"na\xEFve"});
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("naive"), Strings{});
}

// A hand-written dictionary without SET, its word list in UTF-8: the engine calls its set
// ISO8859-1, but its words only match when their bytes reach the engine as they are.
TEST(LegacyDictionary, WithoutSetWordsPassUnconverted) {
  TempDir dir;
  dir.Write("xx.aff", "TRY abcdefghijklmnopqrstuvwxyz\nMAXNGRAMSUGS 0\n");
  dir.Write("xx.dic", "3\nhello\nnaïve\nzażółć\n");
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("xx", dir.path()));
  for (const char* word : {"hello", "naïve", "zażółć"}) {
    EXPECT_FALSE(backend.IsMisspelled(word)) << word;
  }
  EXPECT_TRUE(backend.IsMisspelled("zazolc"));
  backend.Add("żółw");
  EXPECT_FALSE(backend.IsMisspelled("żółw"));
  const std::u16string text = u"naïve zażółć żółw zazolc";
  EXPECT_EQ(backend.FindMisspellings(text.c_str(), text.size() + 1), (Ranges{{18, 24}}));
}

// An affix file that names ISO8859-1 itself, behind a byte order mark, in a line ending in CR
// LF: its word list is in that set and UTF-8 words are converted for it.
TEST(LegacyDictionary, DeclaredLatin1IsConverted) {
  TempDir dir;
  dir.Write("xx.aff", "\xEF\xBB\xBFSET ISO8859-1\r\nTRY abcdefghijklmnopqrstuvwxyz\r\n");
  dir.Write("xx.dic", "2\nhello\nna\xEFve\n");
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("xx", dir.path()));
  EXPECT_FALSE(backend.IsMisspelled("hello"));
  EXPECT_FALSE(backend.IsMisspelled("naïve"));
  EXPECT_TRUE(backend.IsMisspelled("na\xEFve"));
}

TEST(LegacyDictionary, OnlyASetLineWithAValueDeclaresASet) {
  TempDir dir;
  const auto declares = [&](const std::string& affix) {
    dir.Write("xx.aff", affix);
    return AffixFileDeclaresSet(dir.path() + "/xx.aff");
  };
  EXPECT_TRUE(declares("SET ISO8859-2\n"));
  EXPECT_TRUE(declares("TRY abc\nSET\tKOI8-R"));
  EXPECT_TRUE(declares("\xEF\xBB\xBFSET UTF-8\n"));
  EXPECT_FALSE(declares("TRY abc\n"));
  EXPECT_FALSE(declares("SET\nSET \r\n"));
  EXPECT_FALSE(declares(" SET ISO8859-2\n"));
  EXPECT_FALSE(declares("# SET ISO8859-2\n"));
  EXPECT_FALSE(declares("TRY abc\n\xEF\xBB\xBFSET ISO8859-2\n"));
  EXPECT_FALSE(AffixFileDeclaresSet(dir.path() + "/none.aff"));
}

// Debian's dictionaries, where installed.
bool Installed(const std::string& stem) {
  return std::ifstream("/usr/share/hunspell/" + stem + ".dic").good() &&
         std::ifstream("/usr/share/hunspell/" + stem + ".aff").good();
}

TEST(DebianDictionaries, AmericanEnglish) {
  if (!Installed("en_US")) GTEST_SKIP() << "hunspell-en-us is not installed";
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("en-US", "/usr/share/hunspell"));
  EXPECT_FALSE(backend.IsMisspelled("hello"));
  EXPECT_FALSE(backend.IsMisspelled("don't"));
  EXPECT_TRUE(backend.IsMisspelled("helo"));
  const Strings suggestions = backend.GetCorrectionsForMisspelling("helo");
  EXPECT_NE(std::find(suggestions.begin(), suggestions.end(), "hello"), suggestions.end());
  const std::u16string text = u"This sentense has two mispelled words, doesn't it?";
  EXPECT_EQ(backend.FindMisspellings(text.c_str(), text.size() + 1), (Ranges{{5, 13}, {22, 31}}));
}

TEST(DebianDictionaries, PolishInIso8859_2) {
  if (!Installed("pl_PL")) GTEST_SKIP() << "hunspell-pl is not installed";
  HunspellBackend backend;
  ASSERT_TRUE(backend.SetDictionary("pl-PL", "/usr/share/hunspell"));
  EXPECT_FALSE(backend.IsMisspelled("zażółć"));
  EXPECT_FALSE(backend.IsMisspelled("gęślą"));
  EXPECT_TRUE(backend.IsMisspelled("zazolc"));
  EXPECT_TRUE(backend.IsMisspelled("日本"));
  EXPECT_EQ(backend.GetCorrectionsForMisspelling("日本"), Strings{});

  const Strings suggestions = backend.GetCorrectionsForMisspelling("zażółc");
  ASSERT_FALSE(suggestions.empty());
  EXPECT_NE(std::find(suggestions.begin(), suggestions.end(), "zażółć"), suggestions.end());
  for (const char* word : {"zazolc", "gesla", "zółw", "książka"}) {
    for (const std::string& suggestion : backend.GetCorrectionsForMisspelling(word)) {
      EXPECT_TRUE(IsValidUtf8(suggestion)) << word << " -> " << suggestion;
    }
  }
  const std::u16string text = u"Zażółć gęślą jaźń, zazolc 日本.";
  EXPECT_EQ(backend.FindMisspellings(text.c_str(), text.size() + 1), (Ranges{{19, 25}, {26, 28}}));
}

}  // namespace
}  // namespace spellchecker
