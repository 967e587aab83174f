#pragma once

#include <memory>

#include "spellchecker/spell_backend.h"

namespace spellchecker {

// Names the process environment variable whose presence makes new spellcheckers use Hunspell.
inline constexpr char kPreferHunspellVariable[] = "SPELLCHECKER_PREFER_HUNSPELL";

// Picks the backend for a new spellchecker: the operating system's service when COM started,
// the service's factory exists and SPELLCHECKER_PREFER_HUNSPELL is absent (its value is never
// read); Hunspell otherwise. The system backend is always built first, so its COM start-up and
// shut-down happen even when Hunspell is chosen. Never null; no dictionary is in use.
std::unique_ptr<SpellBackend> CreateSpellBackend();

// Sets SPELLCHECKER_PREFER_HUNSPELL to "true" (prefer_hunspell) or removes it, then calls
// CreateSpellBackend, both under one process-wide lock: script threads of several workers may
// construct spellcheckers at once, and another thread's change between the two steps would
// hand this one the backend that the other asked for. The change stays in force afterwards.
std::unique_ptr<SpellBackend> CreateSpellBackendWithPreference(bool prefer_hunspell);

}  // namespace spellchecker
