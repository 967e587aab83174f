#pragma once

#include <memory>
#include <mutex>
#include <string>

class Hunspell;

namespace spellchecker {

// Hunspell's UTF-8 engines share one table of Unicode case data, which their constructors and
// destructors count and free without a lock. Every Hunspell engine that the process makes or
// destroys, by the Hunspell backend or through Enchant's Hunspell provider (the same library),
// does so under this lock. Checking with a live engine needs none: the table stays while any
// engine that counted it lives.
std::mutex& EngineLifetimeMutex();

// Destroys an engine under EngineLifetimeMutex.
struct LockedEngineDelete {
  void operator()(Hunspell* engine) const;
};

// An engine that can only be reset or destroyed under the lock.
using HunspellEngine = std::unique_ptr<Hunspell, LockedEngineDelete>;

// Builds an engine from an affix file and a word list, without a key, under the lock.
HunspellEngine MakeHunspellEngine(const std::string& affix_path, const std::string& word_list_path);

}  // namespace spellchecker
