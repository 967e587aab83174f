// Runs against whichever converter the build chose (the platform's or the portable one).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "text/utf_convert.h"
#include "text/utf_convert_limits.h"

namespace spellchecker {
namespace {

const std::u16string kFffd = u"\uFFFD";

// Reference encodings of one scalar value, straight from the definitions of the forms.
std::string Utf8Of(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

std::u16string Utf16Of(char32_t c) {
  if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
  const char32_t v = c - 0x10000;
  return {static_cast<char16_t>(0xD800 | (v >> 10)), static_cast<char16_t>(0xDC00 | (v & 0x3FF))};
}

std::string Hex(const std::u16string& s) {
  std::string out;
  char unit[8];
  for (char16_t c : s) {
    std::snprintf(unit, sizeof unit, "%04X ", static_cast<unsigned>(c));
    out += unit;
  }
  return out;
}

std::string Hex(const std::string& s) {
  std::string out;
  char byte[4];
  for (char c : s) {
    std::snprintf(byte, sizeof byte, "%02X ", static_cast<unsigned char>(c));
    out += byte;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Well-formed text, both directions.

struct Pair {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

const Pair kWellFormed[] = {
    {"ascii", "Hello, world", u"Hello, world"},
    {"two_byte", "\xC3\xA9t\xC3\xA9", u"\u00E9t\u00E9"},
    {"two_byte_bounds", "\xC2\x80\xDF\xBF", u"\u0080\u07FF"},
    {"three_byte", "\xE2\x82\xAC 5", u"\u20AC 5"},
    {"three_byte_bounds", "\xE0\xA0\x80\xEF\xBF\xBF", u"\u0800\uFFFF"},
    {"around_surrogates", "\xED\x9F\xBF\xEE\x80\x80", u"\uD7FF\uE000"},
    {"four_byte", "\xF0\x9F\x98\x80!", u"\U0001F600!"},
    {"four_byte_bounds", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"},
    {"mixed", "a\xC5\xBC\xE2\x80\x99\xF0\x9D\x84\x9E", u"a\u017C\u2019\U0001D11E"},
};

TEST(Utf8ToUtf16Test, WellFormed) {
  for (const Pair& p : kWellFormed) {
    EXPECT_EQ(Hex(Utf8ToUtf16(p.utf8)), Hex(p.utf16)) << p.name;
  }
}

TEST(Utf16ToUtf8Test, WellFormed) {
  for (const Pair& p : kWellFormed) {
    EXPECT_EQ(Hex(Utf16ToUtf8(p.utf16)), Hex(p.utf8)) << p.name;
  }
}

TEST(Utf8ToUtf16Test, Empty) { EXPECT_TRUE(Utf8ToUtf16(std::string()).empty()); }

TEST(Utf16ToUtf8Test, Empty) { EXPECT_TRUE(Utf16ToUtf8(std::u16string()).empty()); }

TEST(Utf8ToUtf16Test, SurrogatePairFromFourBytes) {
  const std::u16string pair = Utf8ToUtf16("\xF0\x9F\x98\x80");
  ASSERT_EQ(pair.size(), 2u);
  EXPECT_EQ(pair[0], 0xD83D);
  EXPECT_EQ(pair[1], 0xDE00);
}

TEST(Utf16ToUtf8Test, SurrogatePairToFourBytes) {
  EXPECT_EQ(Hex(Utf16ToUtf8(std::u16string{0xD83D, 0xDE00})), "F0 9F 98 80 ");
}

// ---------------------------------------------------------------------------------------------
// The cut at the first NUL.

TEST(Utf8ToUtf16Test, ConvertsOnlyBytesBeforeFirstNul) {
  EXPECT_EQ(Utf8ToUtf16(std::string("ab\0cd", 5)), u"ab");
  EXPECT_EQ(Utf8ToUtf16(std::string("\xC3\xA9\0\xC3\xA9", 5)), u"\u00E9");
  EXPECT_TRUE(Utf8ToUtf16(std::string("\0abc", 4)).empty());
  // A sequence broken by the NUL is truncated, not completed by the bytes after it.
  EXPECT_EQ(Utf8ToUtf16(std::string("\xC3\0\xA9", 3)), kFffd);
}

TEST(Utf16ToUtf8Test, ResultCutAtFirstNul) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"ab\0cd", 5)), "ab");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"\u20AC\0\u20AC", 3)), "\xE2\x82\xAC");
  EXPECT_TRUE(Utf16ToUtf8(std::u16string(u"\0abc", 4)).empty());
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, 0, 0xDC00}), "\xEF\xBF\xBD");
}

// ---------------------------------------------------------------------------------------------
// Ill-formed UTF-8: one U+FFFD per maximal subpart of a well-formed sequence, or per byte that
// cannot start one.

struct IllFormed {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

const IllFormed kIllFormed[] = {
    {"lone_continuation", "\x80", u"\uFFFD"},
    {"lone_continuation_bf",
     "a\xBF"
     "b",
     u"a\uFFFDb"},
    {"continuations", "\x80\x81\xBF", u"\uFFFD\uFFFD\uFFFD"},
    {"overlong_c0", "\xC0\x80", u"\uFFFD\uFFFD"},
    {"overlong_c1", "\xC1\xBF", u"\uFFFD\uFFFD"},
    {"e0_bad_second", "\xE0\x80", u"\uFFFD\uFFFD"},
    {"overlong_three", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
    {"overlong_three_top", "\xE0\x9F\xBF", u"\uFFFD\uFFFD\uFFFD"},
    {"overlong_four", "\xF0\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"overlong_four_top", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"encoded_high_surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
    {"encoded_low_surrogate", "\xED\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},
    {"encoded_pair", "\xED\xA0\xBD\xED\xB8\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"above_10ffff", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"lead_f5", "\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"lead_fe_ff", "\xFE\xFF", u"\uFFFD\uFFFD"},
    {"five_byte_form", "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"truncated_two_at_end", "ab\xC3", u"ab\uFFFD"},
    {"truncated_three_at_end", "\xE2\x82", u"\uFFFD"},
    {"truncated_four_at_end", "\xF0\x9F\x98", u"\uFFFD"},
    {"truncated_four_then_ascii",
     "\xF0\x9F\x98"
     "A",
     u"\uFFFDA"},
    {"truncated_two_then_ascii",
     "\xC3"
     "A",
     u"\uFFFDA"},
    {"truncated_then_valid", "\xE2\x82\xE2\x82\xAC", u"\uFFFD\u20AC"},
    {"truncated_then_lead", "\xE1\x80\xC0", u"\uFFFD\uFFFD"},
    {"f4_truncated", "\xF4\x8F\xBF", u"\uFFFD"},
    {"lead_then_lead", "\xC3\xC3\xA9", u"\uFFFD\u00E9"},
    // The example of Unicode's "U+FFFD substitution of maximal subparts".
    {"unicode_example", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
     u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
};

TEST(Utf8ToUtf16Test, IllFormedBecomesReplacementPerMaximalSubpart) {
  for (const IllFormed& c : kIllFormed) {
    EXPECT_EQ(Hex(Utf8ToUtf16(c.utf8)), Hex(c.utf16)) << c.name;
  }
}

// ---------------------------------------------------------------------------------------------
// Unpaired surrogates to UTF-8.

struct Unpaired {
  const char* name;
  std::u16string utf16;
  std::string utf8;
};

const Unpaired kUnpaired[] = {
    {"lone_high", {0xD800}, "\xEF\xBF\xBD"},
    {"lone_low", {0xDC00}, "\xEF\xBF\xBD"},
    {"high_at_end", {u'a', 0xDBFF}, "a\xEF\xBF\xBD"},
    {"high_then_ascii", {0xD83D, u'x'}, "\xEF\xBF\xBDx"},
    {"low_then_high", {0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
    {"high_high_low", {0xD83D, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    {"pair_then_low", {0xD83D, 0xDE00, 0xDE00}, "\xF0\x9F\x98\x80\xEF\xBF\xBD"},
};

TEST(Utf16ToUtf8Test, UnpairedSurrogateBecomesReplacement) {
  for (const Unpaired& c : kUnpaired) {
    EXPECT_EQ(Hex(Utf16ToUtf8(c.utf16)), Hex(c.utf8)) << c.name;
  }
}

// ---------------------------------------------------------------------------------------------
// Every scalar value, both directions.

TEST(RoundTripTest, EveryScalarValue) {
  std::string all8;
  std::u16string all16;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string u8 = Utf8Of(c);
    const std::u16string u16 = Utf16Of(c);
    const std::u16string got16 = Utf8ToUtf16(u8);
    const std::string got8 = Utf16ToUtf8(u16);
    if (got16 != u16 || got8 != u8) {
      ADD_FAILURE() << "U+" << std::hex << static_cast<uint32_t>(c) << ": to UTF-16 " << Hex(got16)
                    << ", to UTF-8 " << Hex(got8);
      return;
    }
    all8 += u8;
    all16 += u16;
  }
  EXPECT_TRUE(Utf8ToUtf16(all8) == all16);
  EXPECT_TRUE(Utf16ToUtf8(all16) == all8);
}

// ---------------------------------------------------------------------------------------------
// Sources too long for one platform call give the empty result instead of a wrapped size.

TEST(ConversionLimitsTest, ScratchSizesStopAtIntRange) {
  EXPECT_EQ(Utf16ScratchUnits(1), 4u);
  EXPECT_EQ(Utf16ScratchUnits((1u << 30) - 2), 2147483646u);
  EXPECT_EQ(Utf16ScratchUnits((1u << 30) - 1), 0u);
  EXPECT_EQ(Utf16ScratchUnits(SIZE_MAX), 0u);
  EXPECT_EQ(Utf16ScratchUnits(SIZE_MAX / 2 + 1), 0u);
  EXPECT_EQ(Utf8ScratchBytes(1), 8u);
  EXPECT_EQ(Utf8ScratchBytes((1u << 29) - 2), 2147483644u);
  EXPECT_EQ(Utf8ScratchBytes((1u << 29) - 1), 0u);
  EXPECT_EQ(Utf8ScratchBytes(SIZE_MAX), 0u);
  EXPECT_EQ(Utf8ScratchBytes(SIZE_MAX / 4 + 1), 0u);
}

// 2^30 - 1 bytes: 2n + 2 is 2^31, which wraps in a 32-bit int.
TEST(ConversionLimitsTest, Utf8SourceTooLongGivesEmpty) {
  std::string huge;
  try {
    huge.assign((size_t{1} << 30) - 1, 'a');
  } catch (const std::bad_alloc&) {
    GTEST_SKIP() << "not enough memory for a 1 GiB source";
  }
  EXPECT_TRUE(Utf8ToUtf16(huge).empty());
}

// 2^29 - 1 units: 4n + 4 is 2^31.
TEST(ConversionLimitsTest, Utf16SourceTooLongGivesEmpty) {
  std::u16string huge;
  try {
    huge.assign((size_t{1} << 29) - 1, u'a');
  } catch (const std::bad_alloc&) {
    GTEST_SKIP() << "not enough memory for a 1 GiB source";
  }
  EXPECT_TRUE(Utf16ToUtf8(huge).empty());
}

// ---------------------------------------------------------------------------------------------
// Utf8Converter: writes into the caller's buffer, capacity + 1 bytes, never past them.

constexpr char kGuard = '\x7F';

// Converts into a buffer of capacity + 1 bytes followed by guard bytes, and checks the guards.
std::string Convert(const std::u16string& text, int32_t capacity, int32_t count) {
  const size_t usable = capacity > 0 ? static_cast<size_t>(capacity) + 1 : 1;
  std::vector<char> buffer(usable + 8, kGuard);
  Utf8Converter converter;
  EXPECT_TRUE(converter.ConvertToUtf8(buffer.data(), capacity, text.data(), count));
  for (size_t i = usable; i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], kGuard) << "byte " << i << " past capacity + 1 was written";
  }
  const void* nul = std::memchr(buffer.data(), 0, usable);
  EXPECT_NE(nul, nullptr) << "no NUL within capacity + 1 bytes";
  if (nul == nullptr) return "<unterminated>";
  return std::string(static_cast<const char*>(buffer.data()), static_cast<const char*>(nul));
}

int32_t Units(const std::u16string& s) { return static_cast<int32_t>(s.size()); }

TEST(Utf8ConverterTest, WritesUtf8Form) {
  const std::u16string text = u"Za\u017C\u00F3\u0142\u0107 \U0001F600";
  EXPECT_EQ(Hex(Convert(text, 255, Units(text))), Hex("Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 "
                                                      "\xF0\x9F\x98\x80"));
}

TEST(Utf8ConverterTest, ExactCapacityFillsItAndTerminatesRightAfter) {
  const std::u16string text = u"h\u00E9llo";  // 6 bytes
  std::vector<char> buffer(8, kGuard);
  Utf8Converter converter;
  EXPECT_TRUE(converter.ConvertToUtf8(buffer.data(), 6, text.data(), Units(text)));
  EXPECT_EQ(std::string(buffer.data(), 6), "h\xC3\xA9llo");
  EXPECT_EQ(buffer[6], '\0');
  EXPECT_EQ(buffer[7], kGuard);
}

TEST(Utf8ConverterTest, OneByteOverCapacityGivesEmpty) {
  const std::u16string text = u"h\u00E9llo";  // 6 bytes
  EXPECT_EQ(Convert(text, 5, Units(text)), "");
  EXPECT_EQ(Convert(text, 6, Units(text)), "h\xC3\xA9llo");
}

TEST(Utf8ConverterTest, CharacterThatWouldCrossCapacityGivesEmpty) {
  const std::u16string pair = u"ab\U0001F600";  // 2 + 4 bytes
  for (int32_t capacity = 1; capacity < 6; ++capacity) {
    EXPECT_EQ(Convert(pair, capacity, Units(pair)), "") << capacity;
  }
  EXPECT_EQ(Convert(pair, 6, Units(pair)), "ab\xF0\x9F\x98\x80");
  const std::u16string euro = u"\u20AC";  // 3 bytes
  EXPECT_EQ(Convert(euro, 2, 1), "");
  EXPECT_EQ(Convert(euro, 3, 1), "\xE2\x82\xAC");
}

TEST(Utf8ConverterTest, WordOfCapacityLettersFitsOneMoreDoesNot) {
  const std::u16string word(256, u'a');
  EXPECT_EQ(Convert(word, 255, 255), std::string(255, 'a'));
  EXPECT_EQ(Convert(word, 255, 256), "");
}

TEST(Utf8ConverterTest, ConvertsOnlyCountUnits) {
  const std::u16string text = u"abcdef";
  EXPECT_EQ(Convert(text, 255, 3), "abc");
  // A pair split by the count leaves an unpaired high surrogate.
  const std::u16string pair = u"x\U0001F600";
  EXPECT_EQ(Hex(Convert(pair, 255, 2)), Hex("x\xEF\xBF\xBD"));
}

TEST(Utf8ConverterTest, UnpairedSurrogateBecomesReplacement) {
  const std::u16string text{u'a', 0xDC00, u'b'};
  EXPECT_EQ(Hex(Convert(text, 255, 3)), Hex("a\xEF\xBF\xBD"
                                            "b"));
}

TEST(Utf8ConverterTest, NulUnitBecomesNulByte) {
  const std::u16string text(u"ab\0cd", 5);
  std::vector<char> buffer(8, kGuard);
  Utf8Converter converter;
  EXPECT_TRUE(converter.ConvertToUtf8(buffer.data(), 6, text.data(), 5));
  EXPECT_EQ(std::string(buffer.data(), 6), std::string("ab\0cd\0", 6));
}

TEST(Utf8ConverterTest, NothingToConvertGivesEmpty) {
  const std::u16string text = u"abc";
  EXPECT_EQ(Convert(text, 255, 0), "");
  EXPECT_EQ(Convert(text, 0, 3), "");
  EXPECT_EQ(Convert(text, -1, 3), "");
  // -1 must not mean "up to a NUL unit".
  EXPECT_EQ(Convert(text, 255, -1), "");
  EXPECT_EQ(Convert(text, 255, INT32_MIN), "");
}

TEST(Utf8ConverterTest, ReusedBufferHoldsOnlyLatestWord) {
  std::vector<char> buffer(16, kGuard);
  Utf8Converter converter;
  const std::u16string longer = u"abcdefgh";
  const std::u16string shorter = u"xy";
  EXPECT_TRUE(converter.ConvertToUtf8(buffer.data(), 15, longer.data(), Units(longer)));
  EXPECT_STREQ(buffer.data(), "abcdefgh");
  EXPECT_TRUE(converter.ConvertToUtf8(buffer.data(), 15, shorter.data(), Units(shorter)));
  EXPECT_STREQ(buffer.data(), "xy");
  EXPECT_TRUE(converter.ConvertToUtf8(buffer.data(), 1, longer.data(), Units(longer)));
  EXPECT_STREQ(buffer.data(), "");
}

}  // namespace
}  // namespace spellchecker
