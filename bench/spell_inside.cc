// Splits a call from script into its parts: isMisspelled is a Node-API function that reads the
// word the way napi_floor.cc does and checks it with a HunspellBackend, with no binding layer in
// between; checkKept makes the same backend calls in a tight C++ loop in the same process. What
// the script-driven calls cost beyond the tight loop and the floor's crossing is what the script
// work between calls costs the engine.
#include <node_api.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"

namespace {

using spellchecker::HunspellBackend;

struct State {
  std::unique_ptr<HunspellBackend> backend;
  std::vector<std::string> words;  // for the tight loop
};
State state;

bool ReadString(napi_env env, napi_value value, std::string* out) {
  size_t length = 0;
  if (napi_get_value_string_utf8(env, value, nullptr, 0, &length) != napi_ok) return false;
  out->resize(length + 1);
  if (napi_get_value_string_utf8(env, value, out->data(), length + 1, &length) != napi_ok) {
    return false;
  }
  out->resize(length);
  return true;
}

// load(tag, directory): a fresh backend.
napi_value Load(napi_env env, napi_callback_info info) {
  size_t argc = 2;
  napi_value args[2];
  std::string tag, directory;
  if (napi_get_cb_info(env, info, &argc, args, nullptr, nullptr) != napi_ok || argc < 2 ||
      !ReadString(env, args[0], &tag) || !ReadString(env, args[1], &directory)) {
    return nullptr;
  }
  state.backend = std::make_unique<HunspellBackend>();
  napi_value result = nullptr;
  napi_get_boolean(env, state.backend->SetDictionary(tag, directory), &result);
  return result;
}

napi_value IsMisspelled(napi_env env, napi_callback_info info) {
  thread_local std::string word;
  size_t argc = 1;
  napi_value arg;
  if (napi_get_cb_info(env, info, &argc, &arg, nullptr, nullptr) != napi_ok || argc < 1 ||
      !ReadString(env, arg, &word)) {
    return nullptr;
  }
  napi_value result = nullptr;
  napi_get_boolean(env, state.backend->IsMisspelled(word), &result);
  return result;
}

// keep(word): adds a word to the tight loop's list.
napi_value Keep(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value arg;
  std::string word;
  if (napi_get_cb_info(env, info, &argc, &arg, nullptr, nullptr) != napi_ok || argc < 1 ||
      !ReadString(env, arg, &word)) {
    return nullptr;
  }
  state.words.push_back(std::move(word));
  return nullptr;
}

// The kept words checked in a tight loop; returns how many were rejected.
napi_value CheckKept(napi_env env, napi_callback_info) {
  uint32_t rejected = 0;
  for (const std::string& word : state.words) rejected += state.backend->IsMisspelled(word);
  napi_value result = nullptr;
  napi_create_uint32(env, rejected, &result);
  return result;
}

napi_value Init(napi_env env, napi_value exports) {
  const napi_property_descriptor functions[] = {
      {"load", nullptr, Load, nullptr, nullptr, nullptr, napi_default, nullptr},
      {"isMisspelled", nullptr, IsMisspelled, nullptr, nullptr, nullptr, napi_default, nullptr},
      {"keep", nullptr, Keep, nullptr, nullptr, nullptr, napi_default, nullptr},
      {"checkKept", nullptr, CheckKept, nullptr, nullptr, nullptr, napi_default, nullptr},
  };
  if (napi_define_properties(env, exports, sizeof(functions) / sizeof(functions[0]), functions) !=
      napi_ok) {
    return nullptr;
  }
  return exports;
}

}  // namespace

NAPI_MODULE_INIT() { return Init(env, exports); }
