// Reads a string argument as the module's methods do (src/main/arguments.cc): a word in one pass
// through a stack buffer, anything longer measured first. The floor and the split-out backend
// calls read this way so that their figures stay comparable with the module's.
#pragma once

#include <node_api.h>

#include <string>

namespace bench {

inline bool ReadUtf8(napi_env env, napi_value value, std::string* out) {
  constexpr size_t kWordBytes = 256;
  char bytes[kWordBytes + 5];  // a cut-short read ends at most 3 bytes before the end
  size_t length = 0;
  if (napi_get_value_string_utf8(env, value, bytes, sizeof(bytes), &length) != napi_ok) {
    return false;
  }
  if (length <= kWordBytes) {
    out->assign(bytes, length);
    return true;
  }
  if (napi_get_value_string_utf8(env, value, nullptr, 0, &length) != napi_ok) return false;
  out->resize(length);
  if (napi_get_value_string_utf8(env, value, &(*out)[0], length + 1, &length) != napi_ok) {
    return false;
  }
  out->resize(length);
  return true;
}

}  // namespace bench
