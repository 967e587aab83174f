#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace spellchecker {

// One misspelled word in UTF-16 text, in code units from the start of the text, end exclusive.
struct WordRange {
  uint64_t start;
  uint64_t end;
};

inline bool operator==(const WordRange& a, const WordRange& b) {
  return a.start == b.start && a.end == b.end;
}

class SpellBackend;

// Finds misspelled words on the thread that made it (through SpellBackend::MakeRangeChecker).
// The base forwards to its backend, so it inherits the backend's thread constraints.
class RangeChecker {
 public:
  explicit RangeChecker(SpellBackend* backend) : backend(backend) {}
  RangeChecker(const RangeChecker&) = delete;
  RangeChecker& operator=(const RangeChecker&) = delete;
  virtual ~RangeChecker() = default;

  virtual std::vector<WordRange> FindMisspellings(const char16_t* text, uint64_t length);

 protected:
  SpellBackend* backend;  // not owned; outlives the checker
};

// A spell-checking service. No operation throws for a missing dictionary, an unsupported
// language or a missing file: failure shows only as false or an empty list. Words, tags,
// directories and results are UTF-8 byte strings.
class SpellBackend {
 public:
  SpellBackend() = default;
  SpellBackend(const SpellBackend&) = delete;
  SpellBackend& operator=(const SpellBackend&) = delete;

  // Drops the dictionary in use, then loads the language's; true when it is now in use.
  virtual bool SetDictionary(const std::string& language, const std::string& directory) = 0;
  virtual std::vector<std::string> GetAvailableDictionaries(const std::string& directory) = 0;
  // Suggestions in the backend's order; empty without a dictionary.
  virtual std::vector<std::string> GetCorrectionsForMisspelling(const std::string& word) = 0;
  // False without a dictionary.
  virtual bool IsMisspelled(const std::string& word) = 0;
  virtual bool IsHunspell() = 0;
  // Misspelled words of a UTF-16 text, in the order found; empty without a dictionary.
  virtual std::vector<WordRange> FindMisspellings(const char16_t* text, uint64_t length) = 0;
  virtual void Add(const std::string& word) = 0;
  virtual void Remove(const std::string& word) = 0;
  // Memory the dictionary in use holds, estimated, so that a host with a garbage collector can
  // weigh an unreachable instance by it; 0 when the backend holds none of its own.
  virtual uint64_t DictionaryMemory() { return 0; }
  // Called on the thread that will use the checker; the caller owns it and deletes it before
  // the backend.
  virtual std::unique_ptr<RangeChecker> MakeRangeChecker() {
    return std::make_unique<RangeChecker>(this);
  }
  virtual ~SpellBackend() = default;
};

inline std::vector<WordRange> RangeChecker::FindMisspellings(const char16_t* text,
                                                             uint64_t length) {
  return backend->FindMisspellings(text, length);
}

}  // namespace spellchecker
