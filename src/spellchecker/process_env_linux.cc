#include <cstdlib>

#include "spellchecker/process_env.h"

namespace spellchecker {

void SetProcessEnvironmentVariable(const char* name, const char* value) { setenv(name, value, 1); }

void RemoveProcessEnvironmentVariable(const char* name) { unsetenv(name); }

}  // namespace spellchecker
