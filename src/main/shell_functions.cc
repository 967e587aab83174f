#include "main/shell_functions.h"

#include <string>

#include "main/arguments.h"
#include "shell/shell_dialogs.h"
#include "text/utf_convert.h"

namespace spellchecker {
namespace {

// A missing argument reads as undefined, which is no string either.
std::u16string PathArgument(const Napi::CallbackInfo& info) {
  return Utf8ToUtf16(Utf8Argument(info[0]).str());
}

}  // namespace

void OpenAs(const Napi::CallbackInfo& info) { ShowOpenWithDialog(PathArgument(info)); }

void OpenProperties(const Napi::CallbackInfo& info) { ShowPropertiesDialog(PathArgument(info)); }

void RegisterShellFunctions(Napi::Env env, Napi::Object exports) {
  // Unnamed functions without data, entered through the wrapper for callbacks returning nothing.
  Napi::Function open_as = Napi::Function::New<OpenAs>(env);
  exports.Set(Napi::String::New(env, "openAs"), open_as);
  Napi::Function open_properties = Napi::Function::New<OpenProperties>(env);
  exports.Set(Napi::String::New(env, "openProperties"), open_properties);
}

}  // namespace spellchecker
