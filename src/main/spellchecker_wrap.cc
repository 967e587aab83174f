#include "main/spellchecker_wrap.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "main/arguments.h"
#include "spellchecker/create_spell_backend.h"

namespace spellchecker {
namespace {

constexpr napi_property_attributes kMethodAttributes =
    static_cast<napi_property_attributes>(napi_writable | napi_configurable);

// The report is only a hint to the collector, so a host that refuses it must not end the
// process, as node-addon-api's wrapper would.
bool AdjustExternalMemory(napi_env env, int64_t change) {
  int64_t total = 0;
  return napi_adjust_external_memory(env, change, &total) == napi_ok;
}

Napi::Array ToScriptArray(Napi::Env env, const std::vector<std::string>& list) {
  Napi::Array array = Napi::Array::New(env, list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string& entry = list[i];
    // Script sees each entry as a C string would read it.
    const size_t length = std::min(entry.find('\0'), entry.size());
    array.Set(static_cast<uint32_t>(i), Napi::String::New(env, entry.data(), length));
  }
  return array;
}

// node-addon-api takes any new.target as a construct call, but some hosts (Deno) give undefined
// rather than none for a plain call, which would wrap the receiver, the global object included.
// Checked before the base wraps anything.
const Napi::CallbackInfo& RequireConstructCall(const Napi::CallbackInfo& info) {
  const Napi::Value target = info.NewTarget();
  if (target.IsEmpty() || target.IsUndefined()) {
    throw Napi::TypeError::New(info.Env(), "Class constructors cannot be invoked without 'new'");
  }
  return info;
}

}  // namespace

Napi::Object SpellcheckerWrap::Init(Napi::Env env, Napi::Object exports) {
  Napi::Function constructor = DefineClass(
      env, "Spellchecker",
      {
          InstanceMethod<&SpellcheckerWrap::IsHunspell>("isHunspell", kMethodAttributes),
          InstanceMethod<&SpellcheckerWrap::IsMisspelled>("isMisspelled", kMethodAttributes),
          InstanceMethod<&SpellcheckerWrap::SetDictionary>("setDictionary", kMethodAttributes),
          InstanceMethod<&SpellcheckerWrap::Add>("add", kMethodAttributes),
          InstanceMethod<&SpellcheckerWrap::Remove>("remove", kMethodAttributes),
          InstanceMethod<&SpellcheckerWrap::GetAvailableDictionaries>("getAvailableDictionaries",
                                                                      kMethodAttributes),
          InstanceMethod<&SpellcheckerWrap::GetCorrectionsForMisspelling>(
              "getCorrectionsForMisspelling", kMethodAttributes),
      });
  auto reference = std::make_unique<Napi::FunctionReference>(Napi::Persistent(constructor));
  exports.Set("Spellchecker", constructor);
  // The environment owns the reference from here on and deletes it when it is torn down.
  env.SetInstanceData<Napi::FunctionReference>(reference.release());
  return exports;
}

// The base has wrapped the script object before this body runs, so a failure below unwraps
// and frees this object again.
SpellcheckerWrap::SpellcheckerWrap(const Napi::CallbackInfo& info)
    : Napi::ObjectWrap<SpellcheckerWrap>(RequireConstructCall(info)),
      backend(CreateSpellBackendWithPreference(info.Length() > 0)) {}

Napi::Value SpellcheckerWrap::IsHunspell(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), backend->IsHunspell());
}

Napi::Value SpellcheckerWrap::IsMisspelled(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  const Utf8Argument word(info[0], &word_buffer);
  return Napi::Boolean::New(info.Env(), backend->IsMisspelled(word.str()));
}

Napi::Value SpellcheckerWrap::SetDictionary(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  const Utf8Argument language(info[0]);
  const Utf8Argument directory =
      info.Length() >= 2 ? Utf8Argument(info[1]) : Utf8Argument(std::string("."));
  const bool loaded = backend->SetDictionary(language.str(), directory.str());
  ReportDictionaryMemory(info.Env());
  return Napi::Boolean::New(info.Env(), loaded);
}

void SpellcheckerWrap::ReportDictionaryMemory(Napi::Env env) {
  const uint64_t held = std::min<uint64_t>(backend->DictionaryMemory(), INT64_MAX / 2);
  const int64_t change = static_cast<int64_t>(held) - reported_memory;
  if (change != 0 && AdjustExternalMemory(env, change)) {
    reported_memory = static_cast<int64_t>(held);
  }
}

void SpellcheckerWrap::Finalize(Napi::BasicEnv env) {
  if (reported_memory != 0 && AdjustExternalMemory(env, -reported_memory)) {
    reported_memory = 0;
  }
}

Napi::Value SpellcheckerWrap::Add(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  backend->Add(Utf8Argument(info[0], &word_buffer).str());
  return info.Env().Undefined();
}

Napi::Value SpellcheckerWrap::Remove(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  backend->Remove(Utf8Argument(info[0], &word_buffer).str());
  return info.Env().Undefined();
}

// The first argument is taken as the directory only when two or more are passed; no backend
// reads the directory.
Napi::Value SpellcheckerWrap::GetAvailableDictionaries(const Napi::CallbackInfo& info) {
  const Utf8Argument directory =
      info.Length() >= 2 ? Utf8Argument(info[0]) : Utf8Argument(std::string("."));
  return ToScriptArray(info.Env(), backend->GetAvailableDictionaries(directory.str()));
}

Napi::Value SpellcheckerWrap::GetCorrectionsForMisspelling(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  const Utf8Argument word(info[0], &word_buffer);
  return ToScriptArray(info.Env(), backend->GetCorrectionsForMisspelling(word.str()));
}

}  // namespace spellchecker
