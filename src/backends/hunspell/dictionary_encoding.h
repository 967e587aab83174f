#pragma once

#include <memory>
#include <string>

namespace spellchecker {

// Converts words between UTF-8 and the 8-bit character set that a Hunspell dictionary declares
// in its affix file (the engine compares bytes in that set). Conversions are strict: a character
// the other side cannot represent, or ill-formed input, fails the whole word rather than
// producing text the engine or the caller would misread.
class DictionaryEncoding {
 public:
  // Null when `name` (as the engine reports it, e.g. "UTF-8", "ISO8859-2", "microsoft-cp1251")
  // denotes UTF-8: such words need no conversion. For a set this platform cannot convert, the
  // result passes ASCII through and fails every other character; every set Hunspell supports
  // is an ASCII superset, so plain words still work and nothing is ever misencoded.
  static std::unique_ptr<DictionaryEncoding> ForDictionary(const std::string& name);

  DictionaryEncoding() = default;
  DictionaryEncoding(const DictionaryEncoding&) = delete;
  DictionaryEncoding& operator=(const DictionaryEncoding&) = delete;
  virtual ~DictionaryEncoding() = default;

  // Writes `utf8` in the dictionary's set into `encoded`; false when it cannot be represented.
  virtual bool FromUtf8(const std::string& utf8, std::string* encoded) = 0;
  // Writes `encoded` (in the dictionary's set) as UTF-8 into `utf8`; false when it holds a byte
  // that the set leaves undefined.
  virtual bool ToUtf8(const std::string& encoded, std::string* utf8) = 0;
};

// True when the affix file at `affix_path` has a SET line as the engine reads one: a line that
// starts with "SET" (after a byte order mark on the first line) and has a second field. Without
// it the engine reports ISO8859-1 but only compares the word list's bytes, which in hand-written
// dictionaries are mostly UTF-8. False when the file cannot be read.
bool AffixFileDeclaresSet(const std::string& affix_path);

// Hunspell's own spelling of an encoding name: ASCII lower case, letters and digits only
// ("ISO8859-2" and "iso-8859-2" both give "iso88592").
std::string NormalizeEncodingName(const std::string& name);

// The platform's converter for a normalized name, or null when the platform has none.
// Implemented once per platform.
std::unique_ptr<DictionaryEncoding> MakePlatformEncoding(const std::string& normalized_name);

}  // namespace spellchecker
