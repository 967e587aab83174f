#include "hunspell_engine/hunspell_engine.h"

#include <hunspell/hunspell.hxx>

namespace spellchecker {

std::mutex& EngineLifetimeMutex() {
  static std::mutex mutex;
  return mutex;
}

void LockedEngineDelete::operator()(Hunspell* engine) const {
  std::lock_guard<std::mutex> lock(EngineLifetimeMutex());
  delete engine;
}

HunspellEngine MakeHunspellEngine(const std::string& affix_path,
                                  const std::string& word_list_path) {
  std::lock_guard<std::mutex> lock(EngineLifetimeMutex());
  return HunspellEngine(new Hunspell(affix_path.c_str(), word_list_path.c_str()));
}

}  // namespace spellchecker
