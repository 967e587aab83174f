#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace spellchecker {

namespace verdict_cache_detail {

// One length class of VerdictCache: kSets sets of kWays entries of kEntryBytes each, allocated
// zeroed on the first Insert. Within a set, a hit moves its entry one way up and a new word enters
// at way 0, pushing the last way out, so words that keep recurring stay.
template <size_t kEntryBytes, size_t kSets>
class Tier {
 public:
  static constexpr size_t kWays = 4;
  static constexpr size_t kLongestWordBytes = kEntryBytes - 4;
  static constexpr size_t kWords = kSets * kWays;
  static constexpr size_t kMemoryBytes = kEntryBytes * kWords;

  Tier() = default;
  Tier(const Tier&) = delete;
  Tier& operator=(const Tier&) = delete;

  bool Find(std::string_view word, uint64_t hash, uint16_t generation, bool* rejected);
  void Insert(std::string_view word, uint64_t hash, uint16_t generation, bool rejected);
  // Marks every entry empty (generation 0).
  void Wipe();

 private:
  void Allocate();

  struct Entry {
    uint16_t generation;  // valid only when equal to the cache's
    uint8_t size;
    uint8_t rejected;
    char bytes[kLongestWordBytes];
  };
  static_assert(sizeof(Entry) == kEntryBytes, "an entry has no padding");
  static_assert((kSets & (kSets - 1)) == 0, "the set index is a mask of the hash");
  struct alignas(64) Set {
    Entry ways[kWays];
  };
  struct FreeBlock {
    void operator()(void* block) const { std::free(block); }
  };

  std::unique_ptr<void, FreeBlock> block;
  Set* sets = nullptr;  // in block, at its first 64-byte boundary
};

}  // namespace verdict_cache_detail

// Remembers the engine's verdicts on recently checked words, so that running text, which
// repeats its words heavily, reaches the engine about once per distinct word. A key is the exact
// byte string the caller checks, stored whole, so a hit gives the answer the engine gave for
// those very bytes; the owner must Clear() whenever the engine's answers may change (a new
// dictionary, a word added or removed).
//
// A document's working set is tens of thousands of distinct words, nearly all of up to 12 bytes
// (34,334 of 35,030 in an English test text, 38,035 of 42,303 in a German one), so there is room
// for 131,072 words of up to 12 bytes, 16,384 of up to 28, 2,048 of up to 60 and 256 of up to
// kLongestWordBytes, in four tables of 2.69 MiB in all (kMaxMemoryBytes); each table is
// allocated on its first Insert. Longer words are not remembered.
class VerdictCache {
 public:
  VerdictCache();
  VerdictCache(const VerdictCache&) = delete;
  VerdictCache& operator=(const VerdictCache&) = delete;
  ~VerdictCache();

  // True on a hit, with the remembered verdict in *rejected.
  bool Find(std::string_view word, bool* rejected);
  void Insert(std::string_view word, bool rejected);
  // Forgets every word, in constant time (but for a rare wipe when the generation wraps).
  void Clear();

 private:
  using Short = verdict_cache_detail::Tier<16, 32768>;
  using Medium = verdict_cache_detail::Tier<32, 4096>;
  using Long = verdict_cache_detail::Tier<64, 512>;
  using Longest = verdict_cache_detail::Tier<256, 64>;

 public:
  static constexpr size_t kLongestWordBytes = Longest::kLongestWordBytes;
  static constexpr size_t kMaxMemoryBytes =
      Short::kMemoryBytes + Medium::kMemoryBytes + Long::kMemoryBytes + Longest::kMemoryBytes;
  // The longest word of each table, shortest first.
  static constexpr size_t kTableLongestWord[] = {Short::kLongestWordBytes,
                                                 Medium::kLongestWordBytes, Long::kLongestWordBytes,
                                                 Longest::kLongestWordBytes};

 private:
  Short short_words;
  Medium medium_words;
  Long long_words;
  Longest longest_words;
  uint16_t generation = 1;
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
