#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "text/char_class.h"

namespace spellchecker {
namespace {

constexpr uint8_t L = kCharLetter;
constexpr uint8_t P = kCharPunctuation;
constexpr uint8_t S = kCharSpace;

std::string Name(uint32_t unit) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(unit));
  return name;
}

struct Range {
  char16_t first;
  char16_t last;
  uint8_t bits;
};

// The C runtime's fixed table below 256; every unit not listed has no class.
const Range kLatin1[] = {
    {0x09, 0x0D, S},     {0x20, 0x20, S},     {0x21, 0x2F, P}, {0x3A, 0x40, P},     {0x41, 0x5A, L},
    {0x5B, 0x60, P},     {0x61, 0x7A, L},     {0x7B, 0x7E, P}, {0x85, 0x85, S},     {0xA0, 0xA0, S},
    {0xA1, 0xA9, P},     {0xAA, 0xAA, L | P}, {0xAB, 0xB4, P}, {0xB5, 0xB5, L | P}, {0xB6, 0xB9, P},
    {0xBA, 0xBA, L | P}, {0xBB, 0xBF, P},     {0xC0, 0xD6, L}, {0xD7, 0xD7, P},     {0xD8, 0xF6, L},
    {0xF7, 0xF7, P},     {0xF8, 0xFF, L},
};

TEST(CharClassTest, FixedTableBelow256) {
  uint8_t expected[256] = {};
  for (const Range& r : kLatin1) {
    for (unsigned u = r.first; u <= r.last; ++u) expected[u] = r.bits;
  }
  for (unsigned u = 0; u < 256; ++u) {
    EXPECT_EQ(kUtf16UnitClasses[u], expected[u]) << Name(u);
  }
}

struct Unit {
  char16_t unit;
  uint8_t bits;
  const char* why;
};

const Unit kAbove256[] = {
    {0x0100, L, "Lu"},
    {0x0101, L, "Ll"},
    {0x01C5, L, "Lt"},
    {0x02B0, L, "Lm"},
    {0x05D0, L, "Lo"},
    {0x2160, L, "Nl"},
    {0x0E31, L, "Mn counted as a letter"},
    {0x0E33, L, "Lo"},
    {0x0E34, L, "Mn counted as a letter"},
    {0x0E3A, L, "Mn counted as a letter"},
    {0x0E3B, 0, "unassigned"},
    {0x0E3F, 0, "Sc"},
    {0x0E47, L, "Mn counted as a letter"},
    {0x0E48, L, "Mn counted as a letter"},
    {0x0E4E, L, "Mn counted as a letter"},
    {0x0E4F, P, "Po"},
    {0x1885, L, "Mn counted as a letter"},
    {0x1886, L, "Mn counted as a letter"},
    {0x1887, L, "Lo"},
    {0x0301, 0, "Mn"},
    {0x0903, 0, "Mc"},
    {0x20DD, 0, "Me"},
    {0x0660, 0, "Nd"},
    {0x2070, 0, "No"},
    {0x2019, P, "Pf"},
    {0x2010, P, "Pd"},
    {0x203F, P, "Pc"},
    {0x3008, P, "Ps"},
    {0x3009, P, "Pe"},
    {0x2018, P, "Pi"},
    {0xFF01, P, "Po"},
    {0x1680, S, "Zs"},
    {0x2000, S, "Zs"},
    {0x3000, S, "Zs"},
    {0x2028, S, "Zl"},
    {0x2029, S, "Zp"},
    {0x20AC, 0, "Sc"},
    {0x2200, 0, "Sm"},
    {0x02C2, 0, "Sk"},
    {0x2603, 0, "So"},
    {0x200B, 0, "Cf"},
    {0xFEFF, 0, "Cf"},
    {0xD800, 0, "Cs"},
    {0xDBFF, 0, "Cs"},
    {0xDC00, 0, "Cs"},
    {0xDFFF, 0, "Cs"},
    {0xE000, 0, "Co"},
    {0xF8FF, 0, "Co"},
    {0xFFFF, 0, "Cn"},
    {0x4E00, L, "Lo"},
    {0xAC00, L, "Lo"},
};

TEST(CharClassTest, ByGeneralCategoryFrom256) {
  for (const Unit& u : kAbove256) {
    EXPECT_EQ(kUtf16UnitClasses[u.unit], u.bits) << Name(u.unit) << " " << u.why;
  }
}

TEST(CharClassTest, SupplementaryCharacterUnitsHaveNoClass) {
  const std::u16string face = u"\U0001F600";  // So, as a surrogate pair
  ASSERT_EQ(face.size(), 2u);
  const std::u16string letter = u"\U0001D400";  // Lu, as a surrogate pair
  ASSERT_EQ(letter.size(), 2u);
  for (char16_t unit : face + letter) {
    EXPECT_EQ(kUtf16UnitClasses[unit], 0) << Name(unit);
  }
}

TEST(CharClassTest, HelpersReadTheirBit) {
  EXPECT_TRUE(IsLetterUnit(u'a'));
  EXPECT_FALSE(IsPunctuationUnit(u'a'));
  EXPECT_TRUE(IsPunctuationUnit(u'\''));
  EXPECT_FALSE(IsLetterUnit(u'\''));
  EXPECT_TRUE(IsSpaceUnit(u'\u2028'));
  EXPECT_FALSE(IsLetterUnit(u'\u2028'));
  EXPECT_TRUE(IsLetterUnit(u'\u00B5'));
  EXPECT_TRUE(IsPunctuationUnit(u'\u00B5'));
  EXPECT_FALSE(IsSpaceUnit(u'\u00B5'));
  EXPECT_FALSE(IsLetterUnit(u'7'));
  EXPECT_FALSE(IsPunctuationUnit(u'7'));
  EXPECT_FALSE(IsSpaceUnit(u'\0'));
}

// Space never combines with another class, and letter with punctuation only in the three
// Latin-1 units the runtime marks so.
TEST(CharClassTest, ClassesCombineOnlyWhereExpected) {
  for (uint32_t u = 0; u < 0x10000; ++u) {
    const uint8_t bits = kUtf16UnitClasses[u];
    EXPECT_EQ(bits & ~(L | P | S), 0) << Name(u);
    if (bits & S) {
      EXPECT_EQ(bits, S) << Name(u);
    }
    if (bits == (L | P)) {
      EXPECT_TRUE(u == 0xAA || u == 0xB5 || u == 0xBA) << Name(u);
    }
  }
}

}  // namespace
}  // namespace spellchecker
