// The floor of the peer benchmark: a Node-API function that reads its string argument the way the
// module's methods do (napi_read.h) and answers false without checking anything. What a binding
// costs above this is its own overhead.
#include <node_api.h>

#include <string>

#include "napi_read.h"

namespace {

napi_value IsMisspelled(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value word;
  napi_value result = nullptr;
  if (napi_get_cb_info(env, info, &argc, &word, nullptr, nullptr) != napi_ok || argc < 1) {
    return nullptr;
  }
  thread_local std::string text;
  if (!bench::ReadUtf8(env, word, &text)) return nullptr;
  napi_get_boolean(env, false, &result);
  return result;
}

napi_value Init(napi_env env, napi_value exports) {
  napi_value function;
  if (napi_create_function(env, "isMisspelled", NAPI_AUTO_LENGTH, IsMisspelled, nullptr,
                           &function) != napi_ok ||
      napi_set_named_property(env, exports, "isMisspelled", function) != napi_ok) {
    return nullptr;
  }
  return exports;
}

}  // namespace

NAPI_MODULE_INIT() { return Init(env, exports); }
