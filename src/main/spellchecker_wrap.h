#pragma once

#include <napi.h>

#include <memory>
#include <string>

#include "spellchecker/spell_backend.h"

namespace spellchecker {

// The script class Spellchecker: each instance owns one backend, picked when it is constructed
// (any constructor argument means Hunspell). Methods check their argument count, read strings
// as UTF-8 without coercion, call the backend and convert its answer.
class SpellcheckerWrap : public Napi::ObjectWrap<SpellcheckerWrap> {
 public:
  // Defines the class on exports as "Spellchecker"; the environment's instance data holds the
  // constructor until the environment is torn down.
  static Napi::Object Init(Napi::Env env, Napi::Object exports);

  explicit SpellcheckerWrap(const Napi::CallbackInfo& info);
  ~SpellcheckerWrap() override = default;

  // Withdraws what the instance told the collector it holds.
  void Finalize(Napi::BasicEnv env) override;

 private:
  Napi::Value IsHunspell(const Napi::CallbackInfo& info);
  Napi::Value IsMisspelled(const Napi::CallbackInfo& info);
  Napi::Value SetDictionary(const Napi::CallbackInfo& info);
  Napi::Value Add(const Napi::CallbackInfo& info);
  Napi::Value Remove(const Napi::CallbackInfo& info);
  Napi::Value GetAvailableDictionaries(const Napi::CallbackInfo& info);
  Napi::Value GetCorrectionsForMisspelling(const Napi::CallbackInfo& info);

  // Tells the collector how the backend's dictionary memory changed since the last report, so
  // that unreachable instances holding dictionaries are collected before memory runs high.
  void ReportDictionaryMemory(Napi::Env env);

  std::unique_ptr<SpellBackend> backend;  // never null after construction
  int64_t reported_memory = 0;
  // The per-word methods' reused argument buffer (Utf8Argument): its contents matter only during
  // the call that read them.
  std::string word_buffer;
};

}  // namespace spellchecker
