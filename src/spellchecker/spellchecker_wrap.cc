#include "spellchecker/spellchecker_wrap.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "spellchecker/create_spell_backend.h"

namespace spellchecker {
namespace {

constexpr napi_property_attributes kMethodAttributes =
    static_cast<napi_property_attributes>(napi_writable | napi_configurable);

// Presence is decided by the count, so an explicit undefined is an argument.
void RequireArgument(const Napi::CallbackInfo& info) {
  if (info.Length() == 0) {
    throw Napi::Error::New(info.Env(), "Bad argument.");
  }
}

// A word up to this many UTF-8 bytes is read into the instance's reused buffer; a longer one
// gets a buffer of its own, so one huge string does not stay allocated.
constexpr size_t kReusedWordBytes = 256;

// No coercion: a value that is not a string fails in napi_get_value_string_utf8, and the host's
// error for that failure ends the call.
std::string ReadUtf8(const Napi::Value& value) { return value.As<Napi::String>().Utf8Value(); }

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
    : Napi::ObjectWrap<SpellcheckerWrap>(info),
      backend(CreateSpellBackendWithPreference(info.Length() > 0)) {}

Napi::Value SpellcheckerWrap::IsHunspell(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), backend->IsHunspell());
}

// The reading of ReadUtf8 (length first, then the bytes with room for the NUL), written once,
// straight into a buffer that usually has the capacity already.
const std::string& SpellcheckerWrap::ReadWord(const Napi::Value& value, std::string* long_word) {
  const napi_env env = value.Env();
  size_t length = 0;
  if (napi_get_value_string_utf8(env, value, nullptr, 0, &length) != napi_ok) {
    throw Napi::Error::New(env);
  }
  std::string& word = length <= kReusedWordBytes ? word_buffer : *long_word;
  word.resize(length);
  if (napi_get_value_string_utf8(env, value, &word[0], length + 1, &length) != napi_ok) {
    throw Napi::Error::New(env);
  }
  word.resize(length);
  return word;
}

Napi::Value SpellcheckerWrap::IsMisspelled(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  std::string long_word;
  const std::string& word = ReadWord(info[0], &long_word);
  return Napi::Boolean::New(info.Env(), backend->IsMisspelled(word));
}

Napi::Value SpellcheckerWrap::SetDictionary(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  const std::string language = ReadUtf8(info[0]);
  const std::string directory = info.Length() >= 2 ? ReadUtf8(info[1]) : std::string(".");
  const bool loaded = backend->SetDictionary(language, directory);
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
  backend->Add(ReadUtf8(info[0]));
  return info.Env().Undefined();
}

Napi::Value SpellcheckerWrap::Remove(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  backend->Remove(ReadUtf8(info[0]));
  return info.Env().Undefined();
}

// The first argument is taken as the directory only when two or more are passed; no backend
// reads the directory.
Napi::Value SpellcheckerWrap::GetAvailableDictionaries(const Napi::CallbackInfo& info) {
  const std::string directory = info.Length() >= 2 ? ReadUtf8(info[0]) : std::string(".");
  return ToScriptArray(info.Env(), backend->GetAvailableDictionaries(directory));
}

Napi::Value SpellcheckerWrap::GetCorrectionsForMisspelling(const Napi::CallbackInfo& info) {
  RequireArgument(info);
  std::string long_word;
  const std::string& word = ReadWord(info[0], &long_word);
  return ToScriptArray(info.Env(), backend->GetCorrectionsForMisspelling(word));
}

}  // namespace spellchecker
