// Checks the words of a text with a Hunspell dictionary and prints each misspelling with its
// position in UTF-16 code units and its suggestions.
// Usage: check_text [TEXT_FILE|-] [DICTIONARY_DIR] [TAG]
//   TEXT_FILE defaults to a sample sentence; "-" reads standard input.
//   DICTIONARY_DIR defaults to /usr/share/hunspell, TAG to en-US.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "backends/hunspell/hunspell_backend.h"
#include "text/utf_convert.h"

int main(int argc, char** argv) {
  const std::string source = argc > 1 ? argv[1] : "";
  const std::string directory = argc > 2 ? argv[2] : "/usr/share/hunspell";
  const std::string tag = argc > 3 ? argv[3] : "en-US";

  std::string text = "Thiss sentence has a fiew mispelled words in it.";
  if (source == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else if (!source.empty()) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", source.c_str());
      return 1;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  spellchecker::HunspellBackend backend;
  if (!backend.SetDictionary(tag, directory)) {
    std::fprintf(stderr, "no dictionary %s in %s\n", tag.c_str(), directory.c_str());
    return 1;
  }

  const std::u16string utf16 = spellchecker::Utf8ToUtf16(text);
  // The length includes the terminating NUL, so that the last word is checked too.
  for (const spellchecker::WordRange& range :
       backend.FindMisspellings(utf16.c_str(), utf16.size() + 1)) {
    const std::string word =
        spellchecker::Utf16ToUtf8(utf16.substr(range.start, range.end - range.start));
    std::cout << range.start << "-" << range.end << " " << word << ":";
    for (const std::string& suggestion : backend.GetCorrectionsForMisspelling(word)) {
      std::cout << " " << suggestion;
    }
    std::cout << "\n";
  }
  return 0;
}
