#include "main/arguments.h"

namespace spellchecker {

void RequireArgument(const Napi::CallbackInfo& info) {
  if (info.Length() == 0) {
    throw Napi::Error::New(info.Env(), "Bad argument.");
  }
}

// A short string, as words are, is read in one pass into a stack buffer with a few bytes of room
// beyond kReusedBytes: a read cut short by the buffer stops at a character's boundary, at most 3
// bytes before the buffer's end, so a read that leaves that room unused is the whole string.
// Anything longer is measured first and then read into storage of its exact size.
Utf8Argument::Utf8Argument(const Napi::Value& value, std::string* reused_buffer) {
  const napi_env env = value.Env();
  size_t length = 0;
  if (reused_buffer != nullptr) {
    char bytes[kReusedBytes + 5];
    if (napi_get_value_string_utf8(env, value, bytes, sizeof(bytes), &length) != napi_ok) {
      throw Napi::Error::New(env);
    }
    if (length <= kReusedBytes) {
      reused = reused_buffer;
      reused->assign(bytes, length);
      return;
    }
  }
  if (napi_get_value_string_utf8(env, value, nullptr, 0, &length) != napi_ok) {
    throw Napi::Error::New(env);
  }
  own.resize(length);
  if (napi_get_value_string_utf8(env, value, &own[0], length + 1, &length) != napi_ok) {
    throw Napi::Error::New(env);
  }
  own.resize(length);
}

}  // namespace spellchecker
