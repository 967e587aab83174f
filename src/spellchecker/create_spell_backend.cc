#include "spellchecker/create_spell_backend.h"

#include <mutex>

#include "backends/hunspell/hunspell_backend.h"
#include "backends/system/com_users.h"
#include "backends/system/system_spell_backend.h"
#include "spellchecker/process_env.h"

namespace spellchecker {

std::unique_ptr<SpellBackend> CreateSpellBackend() {
  auto system = std::make_unique<SystemSpellBackend>();
  if (!ComUsers::InitFailed() && system->HasFactory() &&
      !ProcessEnvironmentHas(kPreferHunspellVariable)) {
    return system;
  }
  // Dropping it first lets the last system backend end COM before Hunspell loads.
  system.reset();
  return std::make_unique<HunspellBackend>();
}

std::unique_ptr<SpellBackend> CreateSpellBackendWithPreference(bool prefer_hunspell) {
  static std::mutex selection_mutex;
  std::lock_guard<std::mutex> lock(selection_mutex);
  if (prefer_hunspell) {
    SetProcessEnvironmentVariable(kPreferHunspellVariable, "true");
  } else {
    RemoveProcessEnvironmentVariable(kPreferHunspellVariable);
  }
  return CreateSpellBackend();
}

}  // namespace spellchecker
