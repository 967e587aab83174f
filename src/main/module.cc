// The module's entry: registration with the host and the exports of a page context.
#include <napi.h>

#include "main/shell_functions.h"
#include "main/spellchecker_wrap.h"

namespace spellchecker {
namespace {

// Electron gives every page's global object a navigator, the application's main process none.
// A has-property test, so an inherited navigator counts and its value is never read.
bool IsPageContext(Napi::Env env) { return env.Global().Has("navigator"); }

Napi::Object InitModule(Napi::Env env, Napi::Object exports) {
  if (!IsPageContext(env)) {
    // The main process gets nothing from this module.
    return exports;
  }
  SpellcheckerWrap::Init(env, exports);
  RegisterShellFunctions(env, exports);
  return exports;
}

napi_value RegisterModule(napi_env env, napi_value exports) {
  return Napi::RegisterModule(env, exports, InitModule);
}

// The host keeps a pointer to the record for the life of the process.
napi_module module_record = {
    /*nm_version=*/1,
    /*nm_flags=*/0,
    /*nm_filename=*/__FILE__,
    /*nm_register_func=*/RegisterModule,
    /*nm_modname=*/"main",
    /*nm_priv=*/nullptr,
    /*reserved=*/{nullptr, nullptr, nullptr, nullptr},
};

// Registers while the host's load call is still running: the library exports no symbols, so
// this is the only way the host learns of the module.
struct ModuleRegistration {
  ModuleRegistration() { napi_module_register(&module_record); }
};
const ModuleRegistration registration;

}  // namespace
}  // namespace spellchecker
