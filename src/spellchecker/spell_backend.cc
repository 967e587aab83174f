#include "spellchecker/spell_backend.h"

namespace spellchecker {

std::vector<WordRange> RangeChecker::FindMisspellings(const char16_t* text, uint64_t length) {
  return backend->FindMisspellings(text, length);
}

std::unique_ptr<RangeChecker> SpellBackend::MakeRangeChecker() {
  return std::make_unique<RangeChecker>(this);
}

}  // namespace spellchecker
