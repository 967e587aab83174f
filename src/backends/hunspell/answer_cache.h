#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace spellchecker {

// Remembers the engine's verdicts on recently checked words, so that running text, which
// repeats its words heavily, reaches the engine about once per distinct word. A key is the exact
// byte string the caller checks, so a hit gives the answer the engine gave for those very bytes;
// the owner must Clear() whenever the engine's answers may change (a new dictionary, a word
// added or removed).
//
// Bounded: kSets two-way sets of 32-byte entries (1 MiB), allocated on the first Insert. Words
// longer than kLongestWordBytes are not remembered; English words hardly ever are.
class VerdictCache {
 public:
  static constexpr size_t kLongestWordBytes = 26;
  static constexpr size_t kSets = 16384;

  VerdictCache();
  VerdictCache(const VerdictCache&) = delete;
  VerdictCache& operator=(const VerdictCache&) = delete;
  ~VerdictCache();

  // True on a hit, with the remembered verdict in *rejected.
  bool Find(std::string_view word, bool* rejected);
  void Insert(std::string_view word, bool rejected);
  // Forgets every word, in constant time.
  void Clear();

 private:
  struct Entry {
    uint32_t generation;  // valid only when equal to the cache's
    uint8_t size;
    uint8_t rejected;
    char bytes[kLongestWordBytes];
  };
  static_assert(sizeof(Entry) == 32, "entries are meant to fill half a cache line");

  std::unique_ptr<Entry[]> entries;  // kSets * 2; way 0 of a set is the more recently used
  uint32_t generation = 1;
};

// The last few suggestion lists, for a caller that asks about the same word again (a context
// menu opened twice). Same keys and the same duty to Clear() as VerdictCache; bounded to
// kEntries lists of at most kMaxListBytes each.
class SuggestionCache {
 public:
  static constexpr size_t kEntries = 8;
  static constexpr size_t kLongestKeyBytes = 256;
  static constexpr size_t kMaxListBytes = 4096;

  // The remembered list for `word`, or null.
  const std::vector<std::string>* Find(std::string_view word);
  void Insert(std::string_view word, const std::vector<std::string>& suggestions);
  void Clear();

 private:
  struct Entry {
    std::string word;
    std::vector<std::string> suggestions;
    uint64_t last_used = 0;  // 0: empty
  };

  Entry entries[kEntries];
  uint64_t clock = 0;
};

}  // namespace spellchecker
