#include "backends/hunspell/dictionary_encoding.h"

#include <fstream>

namespace spellchecker {
namespace {

bool IsAscii(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// For a set the platform cannot convert: only the ASCII part, which every such set shares
// with UTF-8, is known to mean the same on both sides.
class AsciiOnlyEncoding : public DictionaryEncoding {
 public:
  bool FromUtf8(const std::string& utf8, std::string* encoded) override {
    if (!IsAscii(utf8)) return false;
    *encoded = utf8;
    return true;
  }
  bool ToUtf8(const std::string& encoded, std::string* utf8) override {
    if (!IsAscii(encoded)) return false;
    *utf8 = encoded;
    return true;
  }
};

}  // namespace

bool AffixFileDeclaresSet(const std::string& affix_path) {
  std::ifstream affix(affix_path, std::ios::binary);
  std::string line;
  for (bool first = true; std::getline(affix, line); first = false) {
    if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    if (line.compare(0, 3, "SET") != 0) continue;
    // The engine splits fields at spaces and tabs; its value is the second field.
    const size_t keyword_end = line.find_first_of(" \t");
    if (keyword_end == std::string::npos) continue;
    const size_t value = line.find_first_not_of(" \t\r", keyword_end);
    if (value != std::string::npos) return true;
  }
  return false;
}

std::string NormalizeEncodingName(const std::string& name) {
  std::string normalized;
  for (const char c : name) {
    if (c >= 'A' && c <= 'Z') {
      normalized += static_cast<char>(c - 'A' + 'a');
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      normalized += c;
    }
  }
  return normalized;
}

std::unique_ptr<DictionaryEncoding> DictionaryEncoding::ForDictionary(const std::string& name) {
  const std::string normalized = NormalizeEncodingName(name);
  // The engine itself treats only the exact "UTF-8" as Unicode; any other spelling of it leaves
  // the word list's UTF-8 bytes to be compared as they are, which is what passing through does.
  if (normalized == "utf8") return nullptr;
  std::unique_ptr<DictionaryEncoding> encoding = MakePlatformEncoding(normalized);
  if (!encoding) encoding = std::make_unique<AsciiOnlyEncoding>();
  return encoding;
}

}  // namespace spellchecker
