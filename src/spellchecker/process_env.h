#pragma once

namespace spellchecker {

// Change the environment of the whole process: the C runtime's copy that getenv reads and the
// one the host's process.env shows. Failures are not reported; readers see what is there.
void SetProcessEnvironmentVariable(const char* name, const char* value);
void RemoveProcessEnvironmentVariable(const char* name);

// Whether the process environment holds `name` (getenv), read under the same guard as the
// changes above.
bool ProcessEnvironmentHas(const char* name);

}  // namespace spellchecker
