#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "spellchecker/spell_backend.h"

namespace spellchecker {

// Lets GoogleTest print ranges in failure messages.
inline void PrintTo(const WordRange& range, std::ostream* out) {
  *out << "[" << range.start << ", " << range.end << ")";
}

namespace testing_support {

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "hunspelltestXXXXXX").string();
    if (mkdtemp(&pattern[0])) path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }

  const std::string& path() const { return path_; }

  // Writes `contents` to path()/name, creating directories as needed.
  void Write(const std::string& name, const std::string& contents) const {
    const std::filesystem::path file = std::filesystem::path(path_) / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << contents;
  }

  // A minimal UTF-8 dictionary pair at path()/name.{aff,dic} holding the one word `word`.
  void WriteDictionary(const std::string& name, const std::string& word) const {
    Write(name + ".aff", "SET UTF-8\n");
    Write(name + ".dic", "1\n" + word + "\n");
  }

 private:
  std::string path_;
};

inline std::string FixtureDir() { return std::string(SPELL_FIXTURES_DIR) + "/hunspell"; }

// Strict UTF-8 validity: shortest forms only, no surrogates, nothing above U+10FFFF.
inline bool IsValidUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = text[i];
    size_t length;
    uint32_t code_point;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code_point = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char trail = text[i + k];
      if ((trail & 0xC0) != 0x80) return false;
      code_point = (code_point << 6) | (trail & 0x3F);
    }
    if ((length == 3 && code_point < 0x800) || (length == 4 && code_point < 0x10000) ||
        (code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace testing_support
}  // namespace spellchecker
