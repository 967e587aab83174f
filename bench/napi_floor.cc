// The floor of the peer benchmark: a Node-API function that reads its string argument the way the
// module's methods do (length first, then the bytes) and answers false without checking
// anything. What a binding costs above this is its own overhead.
#include <node_api.h>

#include <memory>

namespace {

napi_value IsMisspelled(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value word;
  napi_value result = nullptr;
  if (napi_get_cb_info(env, info, &argc, &word, nullptr, nullptr) != napi_ok || argc < 1) {
    return nullptr;
  }
  size_t length = 0;
  if (napi_get_value_string_utf8(env, word, nullptr, 0, &length) != napi_ok) return nullptr;
  char small[64];
  std::unique_ptr<char[]> large;
  char* buffer = small;
  if (length >= sizeof(small)) {
    large = std::make_unique<char[]>(length + 1);
    buffer = large.get();
  }
  if (napi_get_value_string_utf8(env, word, buffer, length + 1, &length) != napi_ok) {
    return nullptr;
  }
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
