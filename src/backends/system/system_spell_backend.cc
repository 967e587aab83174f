#include "backends/system/system_spell_backend.h"

#include <algorithm>

#include "backends/system/com_users.h"
#include "text/utf_convert.h"

namespace spellchecker {

namespace {

static_assert(sizeof(WCHAR) == sizeof(char16_t), "COM text is UTF-16");

// The one place where the core's UTF-16 meets the platform's wide characters.
LPCWSTR AsWide(const std::u16string& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }
std::u16string FromWide(LPCWSTR text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

// Converts and collects every string the enumerator hands out, freeing each one.
std::vector<std::string> ReadStrings(IEnumString* strings) {
  std::vector<std::string> result;
  CoTaskString element;
  while (strings->Next(1, element.Put(), nullptr) == S_OK) {
    if (element.Get() != nullptr) {
      result.push_back(Utf16ToUtf8(FromWide(element.Get())));
    }
    element.Reset();
  }
  return result;
}

class MutexLock {
 public:
  explicit MutexLock(uv_mutex_t* mutex) : mutex(mutex) { uv_mutex_lock(mutex); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;
  ~MutexLock() { uv_mutex_unlock(mutex); }

 private:
  uv_mutex_t* mutex;
};

}  // namespace

std::vector<WordRange> CollectErrorRanges(ISpellChecker* checker, const char16_t* text,
                                          uint64_t length) {
  std::vector<WordRange> ranges;
  if (checker == nullptr) {
    return ranges;
  }
  const std::u16string copy(text, static_cast<size_t>(length));
  ComRef<IEnumSpellingError> errors;
  if (FAILED(checker->Check(AsWide(copy), errors.Put())) || !errors) {
    return ranges;
  }
  ComRef<ISpellingError> error;
  while (errors->Next(error.Put()) == S_OK && error) {
    ULONG start = 0;
    ULONG error_length = 0;
    error->get_StartIndex(&start);
    error->get_Length(&error_length);
    const uint32_t end = static_cast<uint32_t>(start) + static_cast<uint32_t>(error_length);
    ranges.push_back(WordRange{static_cast<uint64_t>(start), static_cast<uint64_t>(end)});
    error.Reset();
  }
  return ranges;
}

SystemSpellBackend::SystemSpellBackend() {
  if (!ComUsers::Join()) {
    return;
  }
  CoCreateInstance(CLSID_SpellCheckerFactory, nullptr, CLSCTX_INPROC_SERVER,
                   IID_ISpellCheckerFactory, factory.PutVoid());
  CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                   IID_IGlobalInterfaceTable, global_table.PutVoid());
  mutex_ready = uv_mutex_init(&mutex) == 0;
}

SystemSpellBackend::~SystemSpellBackend() {
  if (checker_cookie != 0) {
    global_table->RevokeInterfaceFromGlobal(checker_cookie);
    checker_cookie = 0;
  }
  checker.Reset();
  factory.Reset();
  global_table.Reset();
  if (mutex_ready) {
    uv_mutex_destroy(&mutex);
  }
  ComUsers::Leave();
}

bool SystemSpellBackend::SetDictionary(const std::string& language, const std::string&) {
  if (!factory) {
    return false;
  }
  if (checker_cookie != 0) {
    MutexLock lock(&mutex);
    global_table->RevokeInterfaceFromGlobal(checker_cookie);
    checker_cookie = 0;
  }
  checker.Reset();

  std::string tag = language;
  std::replace(tag.begin(), tag.end(), '_', '-');
  const std::u16string wide_tag = Utf8ToUtf16(tag);

  BOOL supported = 0;
  if (FAILED(factory->IsSupported(AsWide(wide_tag), &supported)) || !supported) {
    return false;
  }
  if (FAILED(factory->CreateSpellChecker(AsWide(wide_tag), checker.Put())) || !checker) {
    checker.Reset();
    return false;
  }
  ComRef<IUnknown> identity;
  if (FAILED(checker->QueryInterface(IID_IUnknown, identity.PutVoid())) || !identity) {
    checker.Reset();
    return false;
  }

  // Without a table, or a mutex to guard it, the registration counts as failed.
  HRESULT registered = E_POINTER;
  DWORD cookie = 0;
  if (global_table && mutex_ready) {
    MutexLock lock(&mutex);
    registered =
        global_table->RegisterInterfaceInGlobal(identity.Get(), IID_ISpellChecker, &cookie);
  }
  identity.Reset();
  if (SUCCEEDED(registered) && cookie != 0) {
    checker_cookie = cookie;
    return true;
  }
  checker.Reset();
  return false;
}

std::vector<std::string> SystemSpellBackend::GetAvailableDictionaries(const std::string&) {
  if (!factory) {
    return {};
  }
  ComRef<IEnumString> languages;
  if (FAILED(factory->get_SupportedLanguages(languages.Put())) || !languages) {
    return {};
  }
  return ReadStrings(languages.Get());
}

std::vector<std::string> SystemSpellBackend::GetCorrectionsForMisspelling(const std::string& word) {
  if (!checker) {
    return {};
  }
  const std::u16string wide_word = Utf8ToUtf16(word);
  ComRef<IEnumString> suggestions;
  const HRESULT result = checker->Suggest(AsWide(wide_word), suggestions.Put());
  if (FAILED(result) || result == S_FALSE || !suggestions) {
    return {};
  }
  return ReadStrings(suggestions.Get());
}

bool SystemSpellBackend::IsMisspelled(const std::string& word) {
  if (!checker) {
    return false;
  }
  const std::u16string wide_word = Utf8ToUtf16(word);
  ComRef<IEnumSpellingError> errors;
  if (FAILED(checker->Check(AsWide(wide_word), errors.Put())) || !errors) {
    return false;
  }
  // Any error counts, whatever corrective action it carries.
  ComRef<ISpellingError> error;
  return errors->Next(error.Put()) == S_OK;
}

bool SystemSpellBackend::IsHunspell() { return false; }

std::vector<WordRange> SystemSpellBackend::FindMisspellings(const char16_t* text, uint64_t length) {
  return CollectErrorRanges(checker.Get(), text, length);
}

void SystemSpellBackend::Add(const std::string& word) {
  if (checker) {
    const std::u16string wide_word = Utf8ToUtf16(word);
    checker->Add(AsWide(wide_word));
  }
}

void SystemSpellBackend::Remove(const std::string&) {}

std::unique_ptr<RangeChecker> SystemSpellBackend::MakeRangeChecker() {
  auto range_checker = std::make_unique<SystemRangeChecker>(this);
  // Read before locking: a revocation in between makes the fetch below fail, which is safe.
  const DWORD cookie = checker_cookie;
  if (cookie == 0) {
    return range_checker;
  }
  range_checker->com_result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(range_checker->com_result)) {
    return range_checker;
  }
  ComRef<IGlobalInterfaceTable> table;
  if (FAILED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IGlobalInterfaceTable, table.PutVoid())) ||
      !table) {
    return range_checker;
  }
  {
    MutexLock lock(&mutex);
    if (FAILED(table->GetInterfaceFromGlobal(cookie, IID_ISpellChecker,
                                             range_checker->checker.PutVoid()))) {
      range_checker->checker.Reset();
    }
  }
  return range_checker;
}

SystemRangeChecker::SystemRangeChecker(SystemSpellBackend* backend)
    : RangeChecker(backend), com_result(E_FAIL) {}

SystemRangeChecker::~SystemRangeChecker() {
  checker.Reset();
  if (SUCCEEDED(com_result)) {
    CoUninitialize();
  }
}

std::vector<WordRange> SystemRangeChecker::FindMisspellings(const char16_t* text, uint64_t length) {
  return CollectErrorRanges(checker.Get(), text, length);
}

}  // namespace spellchecker
