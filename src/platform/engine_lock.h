#pragma once

#include <mutex>

namespace spellchecker {

// Hunspell's UTF-8 engines share one table of Unicode case data, which their constructors and
// destructors count and free without a lock. Every Hunspell engine that the process makes or
// destroys, by the Hunspell backend or through Enchant's Hunspell provider (the same library),
// does so under this lock. Checking with a live engine needs none: the table stays while any
// engine that counted it lives.
inline std::mutex& EngineLifetimeMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace spellchecker
