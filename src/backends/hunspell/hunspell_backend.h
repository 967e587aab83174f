#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backends/hunspell/answer_cache.h"
#include "backends/hunspell/dictionary_encoding.h"
#include "hunspell_engine/hunspell_engine.h"
#include "spellchecker/spell_backend.h"
#include "text/utf_convert.h"

namespace spellchecker {

// Spell checking with one Hunspell dictionary pair (directory/tag.aff and directory/tag.dic)
// at a time. Words cross this interface as UTF-8; for a dictionary in a legacy 8-bit set they
// are converted to and from that set, and a word the set cannot represent is misspelled.
// Run-time additions and removals live only in the loaded engine.
//
// Verdicts and the last few suggestion lists are cached per exact word, and the caches are
// emptied whenever the engine's answers may change (SetDictionary, Add, Remove), so caching
// never changes an answer; it only spares the engine words it has just seen.
class HunspellBackend : public SpellBackend {
 public:
  enum class Caching { kOn, kOff };

  explicit HunspellBackend(Caching caching = Caching::kOn);
  ~HunspellBackend() override;

  // Drops the loaded dictionary, maps "-" to "_" in the tag and loads directory + "/" + tag
  // (".aff", ".dic"). True when the word list could be opened; the affix file is not tested.
  bool SetDictionary(const std::string& language, const std::string& directory) override;
  // Always empty: dictionaries are not listed.
  std::vector<std::string> GetAvailableDictionaries(const std::string& directory) override;
  // The engine's suggestions in its order; empty without a dictionary.
  std::vector<std::string> GetCorrectionsForMisspelling(const std::string& word) override;
  // True when the engine rejects the word (up to its first NUL); false without a dictionary.
  bool IsMisspelled(const std::string& word) override;
  bool IsHunspell() override;
  // Splits UTF-16 text into words (ForEachWord) and reports those the engine rejects. A word
  // longer than SplitWordReader::kLongestWordBytes in UTF-8 is never reported.
  std::vector<WordRange> FindMisspellings(const char16_t* text, uint64_t length) override;
  void Add(const std::string& word) override;
  void Remove(const std::string& word) override;
  // A multiple of the dictionary files' size; 0 without a dictionary.
  uint64_t DictionaryMemory() override;

 private:
  // The one place a word is checked: true when the loaded engine rejects `word`, UTF-8 without
  // NUL bytes. Requires an engine.
  bool Rejects(const std::string& word);
  // Rejects() through the verdict cache; `word` as for Rejects().
  bool CachedRejects(const std::string& word);
  // Forgets every cached answer.
  void ClearCaches();
  // `word` (UTF-8, up to its first NUL) in the dictionary's set; false when unrepresentable.
  bool ToDictionary(const std::string& word, std::string* encoded);

  HunspellEngine engine;
  uint64_t dictionary_memory = 0;  // estimated when the engine is loaded
  Utf8Converter converter;
  // Null for a UTF-8 dictionary; otherwise converts words for `engine`.
  std::unique_ptr<DictionaryEncoding> encoding;
  // Both null when caching is off.
  std::unique_ptr<VerdictCache> verdict_cache;
  std::unique_ptr<SuggestionCache> suggestion_cache;
};

}  // namespace spellchecker
