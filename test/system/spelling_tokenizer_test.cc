// The word splitter of the COM layer's spelling service.

#include "platform/com/spelling_tokenizer.h"

#include <enchant.h>

#include <string>
#include <vector>

#include "com_sandbox.h"
#include "text/utf8_encoder.h"
#include "text/utf_convert.h"

namespace spellchecker {
namespace {

// Words as "start:text", so that failures show both.
template <typename IsWordCharacter>
std::vector<std::string> Words(const std::u16string& text, IsWordCharacter&& is_word_character) {
  std::vector<std::string> words;
  size_t position = 0;
  WordSpan span{0, 0};
  while (NextWord(text.data(), text.size(), &position, is_word_character, &span)) {
    EXPECT_LE(span.start + span.length, text.size());
    EXPECT_LE(span.start + span.length, position);
    std::string word;
    AppendUtf8(text.data() + span.start, span.length, &word);
    words.push_back(std::to_string(span.start) + ":" + word);
  }
  EXPECT_EQ(position, text.size());
  return words;
}

// The rules of Enchant's Hunspell provider for a dictionary whose word characters include the
// apostrophe: letters anywhere, apostrophes anywhere but at the end; here also the hyphen, but
// only inside a word.
bool ModelWordCharacter(char32_t code_point, WordPosition where) {
  if (code_point == U'\'' || code_point == U'\u2019') {
    return where != kWordEnd;
  }
  if (code_point == U'-') {
    return where == kWordMiddle;
  }
  return (code_point >= U'a' && code_point <= U'z') || (code_point >= U'A' && code_point <= U'Z') ||
         code_point == U'\u00E9' || code_point == U'\U0001D400';
}

struct Case {
  std::u16string text;
  std::vector<std::string> words;
};

TEST(SpellingTokenizerTest, SplitsTextLikeTheServicesWordCharacterTest) {
  const std::vector<Case> cases = {
      {u"", {}},
      {u" ,.; ", {}},
      {u"hello world", {"0:hello", "6:world"}},
      {u"caf\u00E9 au lait", {"0:caf\u00E9", "5:au", "8:lait"}},
      // Apostrophes: leading ones dropped, trailing ones cannot end a word, inner ones stay.
      {u"'quoted'", {"1:quoted"}},
      {u"''a", {"2:a"}},
      {u"'", {}},
      {u"'' '", {}},
      {u"don't dogs' \u2019tis", {"0:don't", "6:dogs", "13:tis"}},
      {u"rock\u2019n\u2019roll", {"0:rock\u2019n\u2019roll"}},
      // Characters valid only inside a word.
      {u"a-b -ab- ab-", {"0:a-b", "5:ab", "9:ab"}},
      {u"-'-x", {"3:x"}},
      // Unpaired surrogates separate words, wherever they stand.
      {u"ab\xD800"
       u"cd",
       {"0:ab", "3:cd"}},
      {u"ab\xDC00"
       u"cd",
       {"0:ab", "3:cd"}},
      {u"ab\xD800", {"0:ab"}},
      {u"\xDC00\xD800"
       u"ab",
       {"2:ab"}},
      // Outside the Basic Multilingual Plane: a pair is one character, positions count units.
      {u"x\U0001D400y z", {"0:x\U0001D400y", "5:z"}},
      {u"\U0001D400", {"0:\U0001D400"}},
      {u"\U0001F600helo \U0001F600", {"2:helo"}},
      // NUL separates words even when the service would accept it.
      {std::u16string(u"ab\0cd", 5), {"0:ab", "3:cd"}},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(Words(test.text, ModelWordCharacter), test.words) << Utf16ToUtf8(test.text);
  }
}

TEST(SpellingTokenizerTest, NeverOffersNulOrUnpairedSurrogatesToTheService) {
  std::vector<char32_t> offered;
  auto accept_everything = [&offered](char32_t code_point, WordPosition) {
    offered.push_back(code_point);
    return true;
  };
  const std::u16string text(
      u"a\0b\xD800"
      u"c\xDC00\U0001F600",
      8);
  EXPECT_EQ(Words(text, accept_everything),
            (std::vector<std::string>{"0:a", "2:b", "4:c", "6:\U0001F600"}));
  for (char32_t code_point : offered) {
    EXPECT_NE(code_point, 0u);
    EXPECT_FALSE(code_point >= 0xD800 && code_point <= 0xDFFF) << code_point;
  }
}

TEST(SpellingTokenizerTest, AppendUtf8WritesWellFormedText) {
  const std::vector<std::pair<std::u16string, std::string>> cases = {
      {u"abc", "abc"},
      {u"\u00E9\u20AC", "\xC3\xA9\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {u"\xD800", "\xEF\xBF\xBD"},
      {u"\xDC00"
       u"a",
       "\xEF\xBF\xBD"
       "a"},
  };
  for (const auto& [text, expected] : cases) {
    std::string out = ">";
    AppendUtf8(text.data(), text.size(), &out);
    EXPECT_EQ(out, ">" + expected);
  }
}

class EnchantTokenizerTest : public ComSandboxTest {};

// With a real dictionary: en_US lists the typographic apostrophe among its word characters,
// which makes Enchant accept both apostrophes inside words, and digits as well.
TEST_F(EnchantTokenizerTest, FollowsTheDictionarysWordCharacters) {
  DirectEnchant enchant;
  ASSERT_NE(enchant.dict, nullptr);
  auto is_word_character = [&enchant](char32_t code_point, WordPosition where) {
    return enchant_dict_is_word_character(enchant.dict, code_point, where) != 0;
  };
  const std::vector<Case> cases = {
      {u"'hello' don't dogs' 42nd", {"1:hello", "8:don't", "14:dogs", "20:42nd"}},
      {u"\u2018quoted\u2019 it\u2019s", {"1:quoted", "9:it\u2019s"}},
      {u"e-mail x.y", {"0:e", "2:mail", "7:x", "9:y"}},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(Words(test.text, is_word_character), test.words) << Utf16ToUtf8(test.text);
  }
}

}  // namespace
}  // namespace spellchecker
