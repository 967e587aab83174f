#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace spellchecker {

// The benchmarks' text: every regular file of `dir`, in name order, each followed by a newline.
// Reading by name keeps the text, and so the measured words, the same on every run.
inline std::string ReadTexts(const std::string& dir) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.is_regular_file() && !entry.is_symlink()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::string text;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    text += '\n';
  }
  return text;
}

}  // namespace spellchecker
