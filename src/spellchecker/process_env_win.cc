#include <stdlib.h>

#include <string>

#include "spellchecker/process_env.h"

namespace spellchecker {

// _putenv_s and _putenv update both the C runtime's environment and the process's own, which
// is what the host's process.env reads.
void SetProcessEnvironmentVariable(const char* name, const char* value) { _putenv_s(name, value); }

void RemoveProcessEnvironmentVariable(const char* name) {
  const std::string assignment = std::string(name) + "=";
  _putenv(assignment.c_str());
}

// The C runtime takes its environment lock in getenv as in _putenv.
bool ProcessEnvironmentHas(const char* name) { return getenv(name) != nullptr; }

}  // namespace spellchecker
