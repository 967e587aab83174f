#pragma once

#include <napi.h>

namespace spellchecker {

// Defines openAs and openProperties, in that order, on `exports`. Throws Napi::Error when a host
// call fails; the functions set before the failure stay set.
void RegisterShellFunctions(Napi::Env env, Napi::Object exports);

// openAs(path) and openProperties(path): the first argument must be a string primitive (it is
// never coerced), later ones are ignored, and the result is undefined whatever the shell does.
void OpenAs(const Napi::CallbackInfo& info);
void OpenProperties(const Napi::CallbackInfo& info);

}  // namespace spellchecker
