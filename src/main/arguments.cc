#include "main/arguments.h"

namespace spellchecker {

void RequireArgument(const Napi::CallbackInfo& info) {
  if (info.Length() == 0) {
    throw Napi::Error::New(info.Env(), "Bad argument.");
  }
}

// The length first, then the bytes with room for the NUL, straight into a buffer that usually
// has the capacity already.
Utf8Argument::Utf8Argument(const Napi::Value& value, std::string* reused_buffer) {
  const napi_env env = value.Env();
  size_t length = 0;
  if (napi_get_value_string_utf8(env, value, nullptr, 0, &length) != napi_ok) {
    throw Napi::Error::New(env);
  }
  if (reused_buffer != nullptr && length <= kReusedBytes) reused = reused_buffer;
  std::string& text = reused != nullptr ? *reused : own;
  text.resize(length);
  if (napi_get_value_string_utf8(env, value, &text[0], length + 1, &length) != napi_ok) {
    throw Napi::Error::New(env);
  }
  text.resize(length);
}

}  // namespace spellchecker
