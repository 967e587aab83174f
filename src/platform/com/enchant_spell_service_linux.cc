// The spelling service behind the COM layer: a factory and spell checkers over Enchant 2.
//
// Enchant dictionaries must not be shared between threads, so every factory has a broker of its
// own, its checkers use that broker on the factory's thread, and a checker fetched on another
// thread through the interface table opens the same language with a broker of that thread's.
// Enchant takes single words: checkers split text themselves and never hand Enchant an empty
// word, ill-formed UTF-8 or a NUL, which it would answer with an error and a warning.

#include <enchant.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "hunspell_engine/hunspell_engine.h"
#include "platform/com/com.h"
#include "platform/com/com_internal_linux.h"
#include "platform/com/enchant_api_linux.h"
#include "platform/com/spelling_tokenizer.h"
#include "text/utf8_encoder.h"
#include "text/utf_convert.h"

namespace spellchecker {
namespace com_layer {
namespace {

// Loading providers and dictionaries touches process-wide state inside Enchant and its
// providers, Hunspell's among them; checking with a loaded dictionary does not.
std::mutex& EnchantLoadMutex() { return EngineLifetimeMutex(); }

// Aspell 0.60.8 (Debian 12) aborts the process on an assertion when asked for suggestions for
// a word as plain as "aaaa", and when a word of a few thousand letters is added, so no language
// is served through it: script input must never end the process.
bool IsUnsafeProvider(const char* provider) {
  return provider != nullptr && std::strcmp(provider, "aspell") == 0;
}

class Broker {
 public:
  // Null when Enchant is missing or gives no broker.
  static std::shared_ptr<Broker> Create() {
    const EnchantApi* enchant = OpenEnchant();
    if (enchant == nullptr) {
      return nullptr;
    }
    EnchantBroker* broker = nullptr;
    {
      std::lock_guard<std::mutex> lock(EnchantLoadMutex());
      broker = enchant->broker_init();
    }
    if (broker == nullptr) {
      return nullptr;
    }
    return std::shared_ptr<Broker>(new Broker(*enchant, broker));
  }

  Broker(const Broker&) = delete;
  Broker& operator=(const Broker&) = delete;
  ~Broker() {
    std::lock_guard<std::mutex> lock(EnchantLoadMutex());
    enchant.broker_free(broker);
  }

  // Enchant's tags (with "_"), each once, sorted.
  std::vector<std::string> ListDictionaries() {
    std::vector<std::string> tags;
    {
      std::lock_guard<std::mutex> lock(EnchantLoadMutex());
      // Enchant lists each tag once, under its preferred provider; a tag that Aspell would
      // serve is listed again after preferring the others, and dropped if only Aspell has it.
      std::vector<std::string> unsafe;
      enchant.broker_list_dicts(broker, &Broker::CollectUnsafeTag, &unsafe);
      for (const std::string& tag : unsafe) {
        enchant.broker_set_ordering(broker, tag.c_str(), "hunspell,nuspell");
      }
      enchant.broker_list_dicts(broker, &Broker::CollectTag, &tags);
    }
    std::sort(tags.begin(), tags.end());
    tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
    return tags;
  }

  bool HasDictionary(const std::string& tag) {
    if (tag.empty()) {
      return false;
    }
    const std::vector<std::string> tags = ListDictionaries();
    return std::binary_search(tags.begin(), tags.end(), tag);
  }

  EnchantBroker* Get() const { return broker; }
  const EnchantApi& Api() const { return enchant; }

 private:
  Broker(const EnchantApi& enchant, EnchantBroker* broker) : enchant(enchant), broker(broker) {}

  static void CollectUnsafeTag(const char* tag, const char* provider, const char*, const char*,
                               void* data) {
    if (tag != nullptr && IsUnsafeProvider(provider)) {
      static_cast<std::vector<std::string>*>(data)->emplace_back(tag);
    }
  }

  static void CollectTag(const char* tag, const char* provider, const char*, const char*,
                         void* data) {
    if (tag != nullptr && *tag != '\0' && !IsUnsafeProvider(provider)) {
      static_cast<std::vector<std::string>*>(data)->emplace_back(tag);
    }
  }

  const EnchantApi& enchant;
  EnchantBroker* broker;
  LiveObject live;
};

// Longer than any dictionary word. Enchant's own word handling needs memory quadratic in the
// length for some words (a megabyte of "ą" asks GLib for terabytes, which aborts the process),
// and Aspell asserts on long words, so such a word never reaches Enchant: it is misspelled,
// without suggestions, and cannot be added.
constexpr size_t kLongestServiceWordBytes = 512;

bool IsOverlong(const std::string& word) { return word.size() > kLongestServiceWordBytes; }

// A dictionary opened on one broker, kept open while any checker or enumerator uses it.
class Dictionary {
 public:
  // Stores the provider's name; it lives as long as the broker that loaded the provider.
  static void ProviderName(const char*, const char* provider, const char*, const char*,
                           void* data) {
    *static_cast<const char**>(data) = provider;
  }

  static std::shared_ptr<Dictionary> Open(std::shared_ptr<Broker> broker, const std::string& tag) {
    const EnchantApi& enchant = broker->Api();
    EnchantDict* dict = nullptr;
    {
      std::lock_guard<std::mutex> lock(EnchantLoadMutex());
      // Debian's default ordering puts Aspell first for English; see IsUnsafeProvider.
      enchant.broker_set_ordering(broker->Get(), tag.c_str(), "hunspell,nuspell");
      dict = enchant.broker_request_dict(broker->Get(), tag.c_str());
      const char* provider = nullptr;
      if (dict != nullptr) {
        enchant.dict_describe(dict, &Dictionary::ProviderName, &provider);
      }
      if (dict != nullptr && IsUnsafeProvider(provider)) {
        enchant.broker_free_dict(broker->Get(), dict);
        dict = nullptr;
      }
    }
    if (dict == nullptr) {
      return nullptr;
    }
    return std::shared_ptr<Dictionary>(new Dictionary(std::move(broker), dict));
  }

  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;
  ~Dictionary() {
    std::lock_guard<std::mutex> lock(EnchantLoadMutex());
    enchant.broker_free_dict(broker->Get(), dict);
  }

  bool IsWordCharacter(char32_t code_point, WordPosition position) const {
    if (code_point < kCachedCodePoints) {
      return word_characters[position][code_point];
    }
    return enchant.dict_is_word_character(dict, code_point, position) != 0;
  }

  // `word` is non-empty, well-formed UTF-8 without NUL.
  bool IsCorrect(const std::string& word) const {
    if (IsOverlong(word)) {
      return false;
    }
    return enchant.dict_check(dict, word.data(), static_cast<ssize_t>(word.size())) <= 0;
  }

  std::vector<std::u16string> Suggest(const std::string& word) const {
    std::vector<std::u16string> suggestions;
    if (IsOverlong(word)) {
      return suggestions;
    }
    size_t count = 0;
    char** list =
        enchant.dict_suggest(dict, word.data(), static_cast<ssize_t>(word.size()), &count);
    for (size_t i = 0; list != nullptr && i < count; ++i) {
      if (list[i] != nullptr) {
        suggestions.push_back(Utf8ToUtf16(list[i]));
      }
    }
    if (list != nullptr) {
      enchant.dict_free_string_list(dict, list);
    }
    return suggestions;
  }

  void AddToPersonal(const std::string& word) {
    if (IsOverlong(word)) {
      return;
    }
    enchant.dict_add(dict, word.data(), static_cast<ssize_t>(word.size()));
  }

  void AddToSession(const std::string& word) {
    if (IsOverlong(word)) {
      return;
    }
    enchant.dict_add_to_session(dict, word.data(), static_cast<ssize_t>(word.size()));
  }

 private:
  // Most text is Latin; the provider's answer for a character does not change while the
  // dictionary is open.
  static constexpr char32_t kCachedCodePoints = 0x250;

  Dictionary(std::shared_ptr<Broker> broker, EnchantDict* dict)
      : broker(std::move(broker)), enchant(this->broker->Api()), dict(dict) {
    for (int position = kWordStart; position <= kWordEnd; ++position) {
      for (char32_t code_point = 0; code_point < kCachedCodePoints; ++code_point) {
        word_characters[position][code_point] =
            enchant.dict_is_word_character(dict, code_point, position) != 0;
      }
    }
  }

  std::shared_ptr<Broker> broker;
  const EnchantApi& enchant;
  EnchantDict* dict;
  bool word_characters[3][kCachedCodePoints];
};

std::u16string TextUpToNul(LPCWSTR text) { return std::u16string(text); }

std::string ToUtf8(const std::u16string& text) {
  std::string out;
  AppendUtf8(text.data(), text.size(), &out);
  return out;
}

// Enchant spells tags with "_", the platform with "-". A tag with "_" is not one of the
// platform's, so it maps to the empty tag, which no dictionary has.
std::string ToEnchantTag(LPCWSTR tag) {
  std::string out = ToUtf8(TextUpToNul(tag));
  if (out.find('_') != std::string::npos) {
    return std::string();
  }
  std::replace(out.begin(), out.end(), '-', '_');
  return out;
}

std::u16string ToPlatformTag(const std::string& tag) {
  std::u16string out = Utf8ToUtf16(tag);
  std::replace(out.begin(), out.end(), u'_', u'-');
  return out;
}

bool OnThread(std::thread::id owner) { return std::this_thread::get_id() == owner; }

class SpellingError : public ComObject<ISpellingError, IID_ISpellingError> {
 public:
  SpellingError(ULONG start, ULONG length, CORRECTIVE_ACTION action)
      : start(start), length(length), action(action) {}

  HRESULT get_StartIndex(ULONG* value) override {
    if (value == nullptr) {
      return E_POINTER;
    }
    *value = start;
    return S_OK;
  }
  HRESULT get_Length(ULONG* value) override {
    if (value == nullptr) {
      return E_POINTER;
    }
    *value = length;
    return S_OK;
  }
  HRESULT get_CorrectiveAction(CORRECTIVE_ACTION* value) override {
    if (value == nullptr) {
      return E_POINTER;
    }
    *value = action;
    return S_OK;
  }
  HRESULT get_Replacement(LPWSTR* value) override {
    if (value == nullptr) {
      return E_POINTER;
    }
    *value = DuplicateString(std::u16string());
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  ULONG start;
  ULONG length;
  CORRECTIVE_ACTION action;
};

// Finds the misspelled words of its text one at a time, as they are asked for.
class SpellingErrors : public ComObject<IEnumSpellingError, IID_IEnumSpellingError> {
 public:
  SpellingErrors(std::shared_ptr<Dictionary> dictionary, std::u16string text)
      : dictionary(std::move(dictionary)),
        text(std::move(text)),
        owner(std::this_thread::get_id()) {}

  HRESULT Next(ISpellingError** value) override {
    if (value == nullptr) {
      return E_POINTER;
    }
    *value = nullptr;
    if (!OnThread(owner)) {
      return RPC_E_WRONG_THREAD;
    }
    const Dictionary& words = *dictionary;
    auto is_word_character = [&words](char32_t code_point, WordPosition where) {
      return words.IsWordCharacter(code_point, where);
    };
    WordSpan span{0, 0};
    while (NextWord(text.data(), text.size(), &position, is_word_character, &span)) {
      word.clear();
      AppendUtf8(text.data() + span.start, span.length, &word);
      if (!words.IsCorrect(word)) {
        *value = new SpellingError(static_cast<ULONG>(span.start), static_cast<ULONG>(span.length),
                                   ReportedCorrectiveAction());
        return S_OK;
      }
    }
    return S_FALSE;
  }

 private:
  std::shared_ptr<Dictionary> dictionary;
  std::u16string text;
  std::thread::id owner;
  size_t position = 0;
  std::string word;  // reused for each word
};

// A checker for one language. Made by the factory it opens its dictionary at once; made for
// another thread by the interface table it opens it there, at its first use.
class SpellChecker : public ComObject<ISpellChecker, IID_ISpellChecker>, public ApartmentBound {
 public:
  SpellChecker(std::string tag, std::shared_ptr<Dictionary> dictionary)
      : tag(std::move(tag)), dictionary(std::move(dictionary)), owner(std::this_thread::get_id()) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object != nullptr) {
      if (const auto fault = InjectedResult(ComCall::kCheckerQueryInterface)) {
        *object = nullptr;
        return *fault;
      }
    }
    return ComObject::QueryInterface(riid, object);
  }

  HRESULT CreateForThisThread(REFIID riid, void** object) override {
    auto* copy = new SpellChecker(tag, nullptr);
    const HRESULT result = copy->ComObject::QueryInterface(riid, object);
    copy->Release();
    return result;
  }

  HRESULT get_LanguageTag(LPWSTR* value) override {
    if (value == nullptr) {
      return E_POINTER;
    }
    *value = DuplicateString(ToPlatformTag(tag));
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  HRESULT Check(LPCWSTR text, IEnumSpellingError** value) override {
    if (const auto early = StartCall(ComCall::kCheck, value)) {
      return *early;
    }
    if (const HRESULT ready = Ready(); FAILED(ready)) {
      return ready;
    }
    if (text == nullptr) {
      return E_POINTER;
    }
    *value = new SpellingErrors(dictionary, TextUpToNul(text));
    return S_OK;
  }

  HRESULT Suggest(LPCWSTR word, IEnumString** value) override {
    if (const auto early = StartCall(ComCall::kSuggest, value)) {
      return *early;
    }
    if (const HRESULT ready = Ready(); FAILED(ready)) {
      return ready;
    }
    const std::string utf8 = WordArgument(word);
    if (utf8.empty()) {
      return E_INVALIDARG;
    }
    if (dictionary->IsCorrect(utf8)) {
      CreateEnumString({}, value);
      return S_FALSE;
    }
    return CreateEnumString(dictionary->Suggest(utf8), value);
  }

  HRESULT Add(LPCWSTR word) override {
    if (const auto fault = InjectedResult(ComCall::kAdd)) {
      return *fault;
    }
    if (const HRESULT ready = Ready(); FAILED(ready)) {
      return ready;
    }
    const std::string utf8 = WordArgument(word);
    if (utf8.empty()) {
      return E_INVALIDARG;
    }
    dictionary->AddToPersonal(utf8);
    return S_OK;
  }

  HRESULT Ignore(LPCWSTR word) override {
    const HRESULT result = Ready();
    if (FAILED(result)) {
      return result;
    }
    const std::string utf8 = WordArgument(word);
    if (utf8.empty()) {
      return E_INVALIDARG;
    }
    dictionary->AddToSession(utf8);
    return S_OK;
  }

 private:
  // On the owning thread, with the dictionary open.
  HRESULT Ready() {
    if (!OnThread(owner)) {
      return RPC_E_WRONG_THREAD;
    }
    if (!dictionary) {
      std::shared_ptr<Broker> broker = Broker::Create();
      if (!broker || !broker->HasDictionary(tag)) {
        return E_FAIL;
      }
      dictionary = Dictionary::Open(std::move(broker), tag);
      if (!dictionary) {
        return E_FAIL;
      }
    }
    return S_OK;
  }

  // The word up to its NUL, as well-formed UTF-8; empty for a null or empty word.
  static std::string WordArgument(LPCWSTR word) {
    return word == nullptr ? std::string() : ToUtf8(TextUpToNul(word));
  }

  std::string tag;  // Enchant's spelling
  std::shared_ptr<Dictionary> dictionary;
  std::thread::id owner;
};

class SpellCheckerFactory : public ComObject<ISpellCheckerFactory, IID_ISpellCheckerFactory> {
 public:
  explicit SpellCheckerFactory(std::shared_ptr<Broker> broker)
      : broker(std::move(broker)), owner(std::this_thread::get_id()) {}

  HRESULT get_SupportedLanguages(IEnumString** value) override {
    if (const auto early = StartCall(ComCall::kGetSupportedLanguages, value)) {
      return *early;
    }
    if (!OnThread(owner)) {
      return RPC_E_WRONG_THREAD;
    }
    std::vector<std::u16string> tags;
    for (const std::string& tag : broker->ListDictionaries()) {
      tags.push_back(ToPlatformTag(tag));
    }
    return CreateEnumString(std::move(tags), value);
  }

  // Only a tag that Enchant lists counts: a request for another would fall back to a related
  // dictionary (en_GB to en).
  HRESULT IsSupported(LPCWSTR language_tag, BOOL* value) override {
    if (const auto early = StartCall(ComCall::kIsSupported, value)) {
      return *early;
    }
    if (!OnThread(owner)) {
      return RPC_E_WRONG_THREAD;
    }
    if (language_tag == nullptr) {
      return E_POINTER;
    }
    *value = broker->HasDictionary(ToEnchantTag(language_tag)) ? 1 : 0;
    return S_OK;
  }

  HRESULT CreateSpellChecker(LPCWSTR language_tag, ISpellChecker** value) override {
    if (const auto early = StartCall(ComCall::kCreateSpellChecker, value)) {
      return *early;
    }
    if (!OnThread(owner)) {
      return RPC_E_WRONG_THREAD;
    }
    if (language_tag == nullptr) {
      return E_POINTER;
    }
    const std::string tag = ToEnchantTag(language_tag);
    if (!broker->HasDictionary(tag)) {
      return E_INVALIDARG;
    }
    std::shared_ptr<Dictionary> dictionary = Dictionary::Open(broker, tag);
    if (!dictionary) {
      return E_FAIL;
    }
    *value = new SpellChecker(tag, std::move(dictionary));
    return S_OK;
  }

 private:
  std::shared_ptr<Broker> broker;
  std::thread::id owner;
};

}  // namespace

HRESULT CreateSpellCheckerFactory(REFIID riid, void** object) {
  std::shared_ptr<Broker> broker = Broker::Create();
  if (!broker || broker->ListDictionaries().empty()) {
    return REGDB_E_CLASSNOTREG;
  }
  auto* factory = new SpellCheckerFactory(std::move(broker));
  const HRESULT result = factory->QueryInterface(riid, object);
  factory->Release();
  return result;
}

}  // namespace com_layer
}  // namespace spellchecker
