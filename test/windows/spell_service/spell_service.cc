// A spelling service for tests: an in-process COM server of CLSID_SpellCheckerFactory over small
// word lists of its own (en-US, pl-PL, fr-FR), so that the system backend runs over real COM
// where the platform has no service (wine). It counts its live objects and the strings it hands
// out that nobody has freed yet, and records the language tags and added words it was given.
//
// It serves only processes whose environment has SPELLCHECKER_TEST_SERVICE=registered. The
// counts are read by SpellServiceCounts (exported), and, when the environment variable
// SPELLCHECKER_TEST_SERVICE_REPORT names a file, appended to it as one JSON line when the
// process ends. Freed strings are seen through a malloc spy: the callers free them with
// CoTaskMemFree, which the service has no other way to observe. Since the spy must outlive
// every string, the DLL pins itself once it is first used.
//
// The checker aggregates the free-threaded marshaler: the global interface table then hands the
// object itself to other threads, which needs no proxy for ISpellChecker (wine has none). Every
// object may be called from any thread.
#include <windows.h>

#include <initguid.h>
#include <objbase.h>
#include <objidl.h>
#include <spellcheck.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "spell_service_counts.h"

namespace {

struct Language {
  const wchar_t* tag;
  std::vector<std::wstring> words;  // lower case
};

// Only what the tests ask for, with near neighbours so that suggestions have a choice.
const Language kLanguages[] = {
    {L"en-US",
     {L"hello", L"help", L"hell", L"world", L"word", L"necessary", L"necessity", L"the", L"a",
      L"is", L"of", L"and", L"this", L"test", L"spelling", L"check", L"checker"}},
    {L"pl-PL",
     {L"za\u017c\u00f3\u0142\u0107", L"g\u0119\u015bl\u0105", L"ja\u017a\u0144", L"dzie\u0144",
      L"dobry", L"tak", L"nie"}},
    {L"fr-FR", {L"bonjour", L"\u00e9t\u00e9", L"fran\u00e7ais", L"ch\u00e2teau", L"oui"}},
};

// Process-wide state; never destroyed, as the spy may be called until the process is gone.
struct State {
  CRITICAL_SECTION lock;
  std::set<void*> outstanding;                // strings handed out and not freed
  long handed = 0;                            // strings handed out in all
  std::vector<std::wstring> languages_asked;  // tags given to the factory, first use first
  std::vector<std::wstring> added;            // words given to Add
  std::set<std::wstring> accepted[3];         // added words, per language
  State() { InitializeCriticalSection(&lock); }
};
State* state = new State;
std::atomic<long> live_objects{0};
std::atomic<long> server_locks{0};

class Lock {
 public:
  Lock() { EnterCriticalSection(&state->lock); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  ~Lock() { LeaveCriticalSection(&state->lock); }
};

void RecordLanguage(const std::wstring& tag) {
  Lock lock;
  auto& asked = state->languages_asked;
  if (std::find(asked.begin(), asked.end(), tag) == asked.end()) asked.push_back(tag);
}

// A copy in CoTaskMemAlloc'ed memory, counted until the caller frees it. Never called with the
// state's lock held: the allocator takes its own lock before calling the spy, which takes ours.
LPWSTR HandOut(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text.c_str(), bytes);
  Lock lock;
  state->outstanding.insert(copy);
  ++state->handed;
  return copy;
}

// Sees every CoTaskMemFree and CoTaskMemRealloc of the process; only our strings are counted.
class FreeSpy final : public IMallocSpy {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
      *object = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
  void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override {
    if (request != nullptr) {
      Lock lock;
      state->outstanding.erase(request);
    }
    return request;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** new_request,
                                      BOOL) override {
    *new_request = request;
    if (request != nullptr) {
      Lock lock;
      moved = state->outstanding.erase(request) != 0;
    }
    return size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override {
    if (moved && actual != nullptr) {
      Lock lock;
      state->outstanding.insert(actual);
    }
    moved = false;
    return actual;
  }
  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

 private:
  // The allocator holds its lock from PreRealloc to PostRealloc.
  bool moved = false;
};
FreeSpy free_spy;
std::atomic<bool> spy_registered{false};

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

void StartWatchingFrees() {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(
      &once,
      [](PINIT_ONCE, PVOID, PVOID*) -> BOOL {
        HMODULE pinned = nullptr;
        if (GetModuleHandleExW(
                GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                reinterpret_cast<LPCWSTR>(&ThisModule), &pinned)) {
          spy_registered = SUCCEEDED(CoRegisterMallocSpy(&free_spy));
        }
        return TRUE;
      },
      nullptr, nullptr);
}

int FindLanguage(LPCWSTR tag) {
  for (int i = 0; i < 3; ++i) {
    if (lstrcmpiW(tag, kLanguages[i].tag) == 0) return i;
  }
  return -1;
}

std::wstring Lower(const std::wstring& word) {
  std::wstring lower = word;
  if (!lower.empty()) {
    LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, word.c_str(), static_cast<int>(word.size()),
                 &lower[0], static_cast<int>(lower.size()));
  }
  return lower;
}

// The letter without its diacritic, for the languages served.
wchar_t Fold(wchar_t c) {
  static const wchar_t kFrom[] =
      L"\u0105\u0107\u0119\u0142\u0144\u00f3\u015b\u017a\u017c\u00e0\u00e2\u00e7\u00e8\u00e9"
      L"\u00ea\u00eb\u00ee\u00ef\u00f4\u00f9\u00fb\u00fc";
  static const wchar_t kTo[] = L"acelnoszzaaceeeeiiouuu";
  const wchar_t* found = std::wcschr(kFrom, c);
  return found != nullptr && c != 0 ? kTo[found - kFrom] : c;
}

// Edit distance with transpositions, or limit + 1 when it is above limit.
size_t Distance(const std::wstring& a, const std::wstring& b, size_t limit) {
  const size_t n = a.size(), m = b.size();
  if ((n > m ? n - m : m - n) > limit) return limit + 1;
  std::vector<size_t> before(m + 1), previous(m + 1), current(m + 1);
  for (size_t j = 0; j <= m; ++j) previous[j] = j;
  for (size_t i = 1; i <= n; ++i) {
    current[0] = i;
    size_t row_min = current[0];
    for (size_t j = 1; j <= m; ++j) {
      const size_t cost = Fold(a[i - 1]) == Fold(b[j - 1]) ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
      row_min = std::min(row_min, current[j]);
    }
    if (row_min > limit) return limit + 1;
    before.swap(previous);
    previous.swap(current);
  }
  return previous[m];
}

bool IsLetter(wchar_t c) {
  WORD type = 0;
  return GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & C1_ALPHA) != 0;
}

// Reference counting and the live count for every object of the service.
template <typename Interface, const IID& kIid>
class Object : public Interface {
 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == kIid) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    return QueryOther(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

 protected:
  Object() { ++live_objects; }
  virtual ~Object() { --live_objects; }
  virtual HRESULT QueryOther(REFIID, void** object) {
    *object = nullptr;
    return E_NOINTERFACE;
  }

 private:
  std::atomic<ULONG> references{1};
};

class StringEnum final : public Object<IEnumString, IID_IEnumString> {
 public:
  explicit StringEnum(std::vector<std::wstring> strings, size_t next = 0)
      : strings(std::move(strings)), next(next) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* elements, ULONG* fetched) override {
    if (elements == nullptr || (count != 1 && fetched == nullptr)) return E_POINTER;
    ULONG done = 0;
    while (done < count && next < strings.size()) {
      elements[done] = HandOut(strings[next]);
      if (elements[done] == nullptr) break;
      ++done;
      ++next;
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const size_t left = strings.size() - next;
    next += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumString** clone) override {
    if (clone == nullptr) return E_POINTER;
    *clone = new StringEnum(strings, next);
    return S_OK;
  }

 private:
  const std::vector<std::wstring> strings;
  size_t next;
};

class SpellingError final : public Object<ISpellingError, IID_ISpellingError> {
 public:
  SpellingError(ULONG start, ULONG length) : start(start), length(length) {}

  HRESULT STDMETHODCALLTYPE get_StartIndex(ULONG* value) override {
    if (value == nullptr) return E_POINTER;
    *value = start;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Length(ULONG* value) override {
    if (value == nullptr) return E_POINTER;
    *value = length;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_CorrectiveAction(CORRECTIVE_ACTION* value) override {
    if (value == nullptr) return E_POINTER;
    *value = CORRECTIVE_ACTION_GET_SUGGESTIONS;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Replacement(LPWSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = HandOut(L"");
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  const ULONG start;
  const ULONG length;
};

class SpellingErrorEnum final : public Object<IEnumSpellingError, IID_IEnumSpellingError> {
 public:
  explicit SpellingErrorEnum(std::vector<std::pair<ULONG, ULONG>> errors)
      : errors(std::move(errors)) {}

  HRESULT STDMETHODCALLTYPE Next(ISpellingError** value) override {
    if (value == nullptr) return E_POINTER;
    if (next == errors.size()) {
      *value = nullptr;
      return S_FALSE;
    }
    *value = new SpellingError(errors[next].first, errors[next].second);
    ++next;
    return S_OK;
  }

 private:
  const std::vector<std::pair<ULONG, ULONG>> errors;
  size_t next = 0;
};

class SpellChecker final : public Object<ISpellChecker, IID_ISpellChecker> {
 public:
  explicit SpellChecker(int language) : language(language) {
    CoCreateFreeThreadedMarshaler(static_cast<ISpellChecker*>(this), &marshaler);
  }

  HRESULT STDMETHODCALLTYPE get_LanguageTag(LPWSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = HandOut(kLanguages[language].tag);
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE Check(LPCWSTR text, IEnumSpellingError** value) override {
    if (text == nullptr || value == nullptr) return E_POINTER;
    std::vector<std::pair<ULONG, ULONG>> errors;
    const size_t size = std::wcslen(text);
    for (size_t i = 0; i < size;) {
      if (!IsLetter(text[i])) {
        ++i;
        continue;
      }
      size_t end = i + 1;
      while (end < size && (IsLetter(text[end]) ||
                            (text[end] == L'\'' && end + 1 < size && IsLetter(text[end + 1])))) {
        ++end;
      }
      if (!Knows(std::wstring(text + i, end - i))) {
        errors.emplace_back(static_cast<ULONG>(i), static_cast<ULONG>(end - i));
      }
      i = end;
    }
    *value = new SpellingErrorEnum(std::move(errors));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Suggest(LPCWSTR word, IEnumString** value) override {
    if (word == nullptr || value == nullptr) return E_POINTER;
    if (*word == 0) return E_INVALIDARG;
    const std::wstring lower = Lower(word);
    if (Knows(word)) {
      *value = new StringEnum({});
      return S_FALSE;
    }
    // Nearest first, then in the word list's order.
    std::vector<std::pair<size_t, std::wstring>> found;
    for (const std::wstring& candidate : kLanguages[language].words) {
      const size_t distance = Distance(lower, candidate, 2);
      if (distance <= 2) found.emplace_back(distance, candidate);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::wstring> suggestions;
    for (auto& entry : found) suggestions.push_back(std::move(entry.second));
    *value = new StringEnum(std::move(suggestions));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Add(LPCWSTR word) override {
    if (word == nullptr) return E_POINTER;
    if (*word == 0) return E_INVALIDARG;
    Lock lock;
    state->added.push_back(word);
    state->accepted[language].insert(Lower(word));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Ignore(LPCWSTR word) override {
    if (word == nullptr) return E_POINTER;
    Lock lock;
    ignored.insert(Lower(word));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE AutoCorrect(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetOptionValue(LPCWSTR, BYTE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_OptionIds(IEnumString** value) override {
    if (value == nullptr) return E_POINTER;
    *value = new StringEnum({});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Id(LPWSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = HandOut(L"SpellcheckerTestService");
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_LocalizedName(LPWSTR* value) override { return get_Id(value); }
  HRESULT STDMETHODCALLTYPE add_SpellCheckerChanged(ISpellCheckerChangedEventHandler*,
                                                    DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE remove_SpellCheckerChanged(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetOptionDescription(LPCWSTR, IOptionDescription**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ComprehensiveCheck(LPCWSTR text, IEnumSpellingError** value) override {
    return Check(text, value);
  }

 private:
  ~SpellChecker() override {
    if (marshaler != nullptr) marshaler->Release();
  }
  HRESULT QueryOther(REFIID iid, void** object) override {
    if (iid == IID_IMarshal && marshaler != nullptr) return marshaler->QueryInterface(iid, object);
    *object = nullptr;
    return E_NOINTERFACE;
  }
  bool Knows(const std::wstring& word) {
    const std::wstring lower = Lower(word);
    const auto& words = kLanguages[language].words;
    if (std::find(words.begin(), words.end(), lower) != words.end()) return true;
    Lock lock;
    return state->accepted[language].count(lower) != 0 || ignored.count(lower) != 0;
  }

  const int language;
  IUnknown* marshaler = nullptr;   // the free-threaded marshaler's inner object, owned
  std::set<std::wstring> ignored;  // guarded by the state's lock
};

class SpellCheckerFactory final : public Object<ISpellCheckerFactory, IID_ISpellCheckerFactory> {
 public:
  HRESULT STDMETHODCALLTYPE get_SupportedLanguages(IEnumString** value) override {
    if (value == nullptr) return E_POINTER;
    std::vector<std::wstring> tags;
    for (const Language& language : kLanguages) tags.push_back(language.tag);
    *value = new StringEnum(std::move(tags));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsSupported(LPCWSTR tag, BOOL* value) override {
    if (tag == nullptr || value == nullptr) return E_POINTER;
    RecordLanguage(tag);
    if (*tag == 0) return E_INVALIDARG;
    *value = FindLanguage(tag) >= 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateSpellChecker(LPCWSTR tag, ISpellChecker** value) override {
    if (tag == nullptr || value == nullptr) return E_POINTER;
    *value = nullptr;
    RecordLanguage(tag);
    const int language = FindLanguage(tag);
    if (language < 0) return E_INVALIDARG;
    *value = new SpellChecker(language);
    return S_OK;
  }
};

class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // A static object: its references only keep the server loaded.
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++server_locks + 1); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--server_locks + 1); }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* factory = new SpellCheckerFactory;
    const HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      ++server_locks;
    else
      --server_locks;
    return S_OK;
  }
};
ClassFactory class_factory;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size,
                      nullptr, nullptr);
  return result;
}

// JSON strings of the recorded words: only letters reach Add here, but escape all the same.
std::string JsonList(const std::vector<std::wstring>& items) {
  std::string json = "[";
  for (const std::wstring& item : items) {
    if (json.size() > 1) json += ',';
    json += '"';
    for (char c : Utf8(item)) {
      if (c == '"' || c == '\\') {
        json += '\\';
        json += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        json += "?";
      } else {
        json += c;
      }
    }
    json += '"';
  }
  return json + "]";
}

// Appends the counts to the report file, if one is named. Only kernel32 here: the process may be
// ending.
void WriteReport() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"SPELLCHECKER_TEST_SERVICE_REPORT", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  // A thread killed while holding the lock would hold it forever.
  if (!TryEnterCriticalSection(&state->lock)) return;
  const std::string line = "{\"pid\":" + std::to_string(GetCurrentProcessId()) +
                           ",\"live\":" + std::to_string(live_objects.load()) + ",\"strings\":" +
                           (spy_registered ? std::to_string(state->outstanding.size()) : "null") +
                           ",\"handed\":" + std::to_string(state->handed) +
                           ",\"languages\":" + JsonList(state->languages_asked) +
                           ",\"added\":" + JsonList(state->added) + "}\n";
  LeaveCriticalSection(&state->lock);
  const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

// The registration is seen by every process of the wine prefix, test runs of other builds among
// them; only a process whose environment asks for this service gets it, and the others find no
// service, as if it were not registered.
bool OptedIn() {
  wchar_t value[16];
  const DWORD length = GetEnvironmentVariableW(L"SPELLCHECKER_TEST_SERVICE", value, 16);
  return length > 0 && length < 16 && lstrcmpW(value, L"registered") == 0;
}

}  // namespace

extern "C" {

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_SpellCheckerFactory || !OptedIn()) return CLASS_E_CLASSNOTAVAILABLE;
  StartWatchingFrees();
  return class_factory.QueryInterface(iid, object);
}

HRESULT WINAPI DllCanUnloadNow() { return live_objects == 0 && server_locks == 0 ? S_OK : S_FALSE; }

void WINAPI SpellServiceCounts(SpellServiceCountsRecord* counts) {
  Lock lock;
  counts->live_objects = live_objects;
  counts->outstanding_strings = spy_registered ? static_cast<long>(state->outstanding.size()) : -1;
  counts->handed_strings = state->handed;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) WriteReport();
  return TRUE;
}
}
