#include "backends/hunspell/answer_cache.h"

#include <cstring>
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

VerdictCache::VerdictCache() = default;
VerdictCache::~VerdictCache() = default;

bool VerdictCache::Find(std::string_view word, bool* rejected) {
  if (!entries || word.size() > kLongestWordBytes) return false;
  Entry* set = &entries[(HashWord(word) & (kSets - 1)) * 2];
  for (int way = 0; way < 2; ++way) {
    Entry& entry = set[way];
    if (entry.generation == generation && entry.size == word.size() &&
        std::memcmp(entry.bytes, word.data(), word.size()) == 0) {
      *rejected = entry.rejected != 0;
      if (way == 1) std::swap(set[0], set[1]);
      return true;
    }
  }
  return false;
}

void VerdictCache::Insert(std::string_view word, bool rejected) {
  if (word.size() > kLongestWordBytes) return;
  if (!entries) entries = std::make_unique<Entry[]>(kSets * 2);  // zeroed: generation 0
  Entry* set = &entries[(HashWord(word) & (kSets - 1)) * 2];
  // The new word becomes way 0; the one it displaces there takes over way 1.
  const bool same_word =
      set[0].size == word.size() && std::memcmp(set[0].bytes, word.data(), word.size()) == 0;
  if (set[0].generation == generation && !same_word) set[1] = set[0];
  Entry& entry = set[0];
  entry.generation = generation;
  entry.size = static_cast<uint8_t>(word.size());
  entry.rejected = rejected ? 1 : 0;
  std::memcpy(entry.bytes, word.data(), word.size());
}

void VerdictCache::Clear() {
  if (++generation != 0) return;
  // After 2^32 clears the oldest entries would look current again.
  if (entries) std::memset(entries.get(), 0, kSets * 2 * sizeof(Entry));
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
