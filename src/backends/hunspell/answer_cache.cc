#include "backends/hunspell/answer_cache.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace spellchecker {
namespace {

uint64_t Mix(uint64_t x) {
  x *= 0xbf58476d1ce4e5b9ULL;
  return x ^ (x >> 31);
}

// Collisions cost only a miss, never a wrong answer: entries compare the whole key.
uint64_t HashWord(std::string_view word) {
  const char* bytes = word.data();
  size_t left = word.size();
  uint64_t hash = 0x9e3779b97f4a7c15ULL ^ left;
  for (; left >= 8; bytes += 8, left -= 8) {
    uint64_t chunk;
    std::memcpy(&chunk, bytes, 8);
    hash = Mix(hash ^ chunk);
  }
  uint64_t tail = 0;
  std::memcpy(&tail, bytes, left);
  return Mix(hash ^ tail);
}

}  // namespace

namespace verdict_cache_detail {

template <size_t kEntryBytes, size_t kSets>
bool Tier<kEntryBytes, kSets>::Find(std::string_view word, uint64_t hash, uint16_t generation,
                                    bool* rejected) {
  if (!sets) return false;
  Set& set = sets[hash & (kSets - 1)];
  for (size_t way = 0; way < kWays; ++way) {
    const Entry& entry = set.ways[way];
    if (entry.generation == generation && entry.size == word.size() &&
        std::memcmp(entry.bytes, word.data(), word.size()) == 0) {
      *rejected = entry.rejected != 0;
      if (way > 0) std::swap(set.ways[way - 1], set.ways[way]);
      return true;
    }
  }
  return false;
}

template <size_t kEntryBytes, size_t kSets>
void Tier<kEntryBytes, kSets>::Insert(std::string_view word, uint64_t hash, uint16_t generation,
                                      bool rejected) {
  if (!sets) Allocate();
  Set& set = sets[hash & (kSets - 1)];
  for (Entry& entry : set.ways) {
    if (entry.generation == generation && entry.size == word.size() &&
        std::memcmp(entry.bytes, word.data(), word.size()) == 0) {
      entry.rejected = rejected ? 1 : 0;
      return;
    }
  }
  std::memmove(&set.ways[1], &set.ways[0], sizeof(Entry) * (kWays - 1));
  Entry& entry = set.ways[0];
  entry.generation = generation;
  entry.size = static_cast<uint8_t>(word.size());
  entry.rejected = rejected ? 1 : 0;
  std::memcpy(entry.bytes, word.data(), word.size());
}

// Zeroed is empty (generation 0). calloc hands over fresh pages from the system as they are,
// already zero, where value-initialising the 2 MiB table wrote every page and cost the first
// check after a new dictionary several milliseconds of page faults.
template <size_t kEntryBytes, size_t kSets>
void Tier<kEntryBytes, kSets>::Allocate() {
  size_t space = (kSets + 1) * sizeof(Set);
  void* start = std::calloc(kSets + 1, sizeof(Set));
  if (start == nullptr) throw std::bad_alloc();
  block.reset(start);
  sets = static_cast<Set*>(std::align(alignof(Set), kSets * sizeof(Set), start, space));
}

template <size_t kEntryBytes, size_t kSets>
void Tier<kEntryBytes, kSets>::Wipe() {
  if (sets) std::memset(static_cast<void*>(sets), 0, kSets * sizeof(Set));
}

}  // namespace verdict_cache_detail

VerdictCache::VerdictCache() = default;
VerdictCache::~VerdictCache() = default;

bool VerdictCache::Find(std::string_view word, bool* rejected) {
  const size_t size = word.size();
  if (size <= Short::kLongestWordBytes) {
    return short_words.Find(word, HashWord(word), generation, rejected);
  }
  if (size <= Medium::kLongestWordBytes) {
    return medium_words.Find(word, HashWord(word), generation, rejected);
  }
  if (size <= Long::kLongestWordBytes) {
    return long_words.Find(word, HashWord(word), generation, rejected);
  }
  if (size <= Longest::kLongestWordBytes) {
    return longest_words.Find(word, HashWord(word), generation, rejected);
  }
  return false;
}

void VerdictCache::Insert(std::string_view word, bool rejected) {
  const size_t size = word.size();
  if (size <= Short::kLongestWordBytes) {
    short_words.Insert(word, HashWord(word), generation, rejected);
  } else if (size <= Medium::kLongestWordBytes) {
    medium_words.Insert(word, HashWord(word), generation, rejected);
  } else if (size <= Long::kLongestWordBytes) {
    long_words.Insert(word, HashWord(word), generation, rejected);
  } else if (size <= Longest::kLongestWordBytes) {
    longest_words.Insert(word, HashWord(word), generation, rejected);
  }
}

void VerdictCache::Clear() {
  if (++generation != 0) return;
  // After 2^16 clears the oldest entries would look current again.
  short_words.Wipe();
  medium_words.Wipe();
  long_words.Wipe();
  longest_words.Wipe();
  generation = 1;
}

const std::vector<std::string>* SuggestionCache::Find(std::string_view word) {
  for (Entry& entry : entries) {
    if (entry.last_used != 0 && entry.word == word) {
      entry.last_used = ++clock;
      return &entry.suggestions;
    }
  }
  return nullptr;
}

void SuggestionCache::Insert(std::string_view word, const std::vector<std::string>& suggestions) {
  if (word.size() > kLongestKeyBytes) return;
  size_t bytes = 0;
  for (const std::string& suggestion : suggestions) bytes += suggestion.size();
  if (bytes > kMaxListBytes) return;
  Entry* oldest = &entries[0];
  for (Entry& entry : entries) {
    if (entry.last_used < oldest->last_used) oldest = &entry;
  }
  oldest->word.assign(word.data(), word.size());
  oldest->suggestions = suggestions;
  oldest->last_used = ++clock;
}

void SuggestionCache::Clear() {
  for (Entry& entry : entries) {
    entry.last_used = 0;
    entry.word.clear();
    entry.suggestions.clear();
  }
}

}  // namespace spellchecker
