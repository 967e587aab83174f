// Splits a call from script into its parts: isMisspelled is a Node-API function that reads the
// word as the floor does (napi_read.h) and checks it with a HunspellBackend, with no binding layer
// in between; checkKept makes the same calls in a tight C++ loop in the same process. What the
// script-driven calls cost beyond the tight loop and the floor's crossing is what the script work
// between calls costs the engine. The tight loop also runs with the backend's cache off and with
// Hunspell called directly, which shows what the cache's misses cost and what Hunspell itself
// loses by running inside Node.js.
#include <node_api.h>

#include <hunspell/hunspell.hxx>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"
#include "napi_read.h"

namespace {

using spellchecker::HunspellBackend;

struct State {
  // One of the two: the backend, or Hunspell called directly.
  std::unique_ptr<HunspellBackend> backend;
  std::unique_ptr<Hunspell> direct;
  std::vector<std::string> words;  // for the tight loop

  bool Rejects(const std::string& word) {
    return backend ? backend->IsMisspelled(word) : !direct->spell(word);
  }
};
State state;

// load(tag, directory, kind): a fresh backend ("cached", the default, or "uncached"), or a fresh
// Hunspell called directly ("direct").
napi_value Load(napi_env env, napi_callback_info info) {
  size_t argc = 3;
  napi_value args[3];
  std::string tag, directory, kind = "cached";
  if (napi_get_cb_info(env, info, &argc, args, nullptr, nullptr) != napi_ok || argc < 2 ||
      !bench::ReadUtf8(env, args[0], &tag) || !bench::ReadUtf8(env, args[1], &directory) ||
      (argc > 2 && !bench::ReadUtf8(env, args[2], &kind))) {
    return nullptr;
  }
  state.backend.reset();
  state.direct.reset();
  bool loaded = false;
  if (kind == "direct") {
    const std::string base = directory + "/" + tag;
    loaded = std::ifstream(base + ".aff").good() && std::ifstream(base + ".dic").good();
    state.direct = std::make_unique<Hunspell>((base + ".aff").c_str(), (base + ".dic").c_str());
  } else {
    state.backend = std::make_unique<HunspellBackend>(
        kind == "uncached" ? HunspellBackend::Caching::kOff : HunspellBackend::Caching::kOn);
    loaded = state.backend->SetDictionary(tag, directory);
  }
  napi_value result = nullptr;
  napi_get_boolean(env, loaded, &result);
  return result;
}

napi_value IsMisspelled(napi_env env, napi_callback_info info) {
  thread_local std::string word;
  size_t argc = 1;
  napi_value arg;
  if (napi_get_cb_info(env, info, &argc, &arg, nullptr, nullptr) != napi_ok || argc < 1 ||
      !bench::ReadUtf8(env, arg, &word)) {
    return nullptr;
  }
  napi_value result = nullptr;
  napi_get_boolean(env, state.Rejects(word), &result);
  return result;
}

// keep(word): adds a word to the tight loop's list.
napi_value Keep(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value arg;
  std::string word;
  if (napi_get_cb_info(env, info, &argc, &arg, nullptr, nullptr) != napi_ok || argc < 1 ||
      !bench::ReadUtf8(env, arg, &word)) {
    return nullptr;
  }
  state.words.push_back(std::move(word));
  return nullptr;
}

// The kept words checked in a tight loop; returns how many were rejected.
napi_value CheckKept(napi_env env, napi_callback_info) {
  uint32_t rejected = 0;
  for (const std::string& word : state.words) rejected += state.Rejects(word);
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
