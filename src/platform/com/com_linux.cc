// The COM runtime part of the layer: GUIDs, per-thread initialisation, object creation, task
// memory and the process-wide interface table.

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/com/com.h"
#include "platform/com/com_internal_linux.h"
#include "platform/com/com_testing.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IEnumString = {0x00000101, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_ISpellingError = {
    0xB7C82D61, 0xFBE8, 0x4B47, {0x9B, 0x27, 0x6C, 0x0D, 0x2E, 0x0D, 0xE0, 0xA3}};
const IID IID_IEnumSpellingError = {
    0x803E3BD4, 0x2828, 0x4410, {0x82, 0x90, 0x41, 0x8D, 0x1D, 0x73, 0xC7, 0x62}};
const IID IID_ISpellChecker = {
    0xB6FD0B71, 0xE2BC, 0x4653, {0x8D, 0x05, 0xF1, 0x97, 0xE4, 0x12, 0x77, 0x0B}};
const IID IID_ISpellCheckerFactory = {
    0x8E018A9D, 0x2415, 0x4677, {0xBF, 0x08, 0x79, 0x4E, 0xA6, 0x1F, 0x94, 0xBB}};
const IID IID_IGlobalInterfaceTable = {0x00000146, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CLSID CLSID_SpellCheckerFactory = {
    0x7AB36653, 0x1796, 0x484B, {0xBD, 0xFA, 0xE7, 0x4F, 0x1D, 0xB7, 0xC1, 0xDC}};
const CLSID CLSID_StdGlobalInterfaceTable = {
    0x00000323, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof(a.Data4)) == 0;
}

namespace spellchecker {
namespace com_layer {
namespace {

constexpr size_t kCallKinds = static_cast<size_t>(ComCall::kCount);

// Test controls. A fault is stored with its result; `fault_set` says whether it is active.
std::atomic<bool> fault_set[kCallKinds];
std::atomic<HRESULT> fault_result[kCallKinds];
std::atomic<int64_t> call_counts[kCallKinds];
std::atomic<int64_t> live_objects{0};
std::atomic<int> corrective_action{CORRECTIVE_ACTION_GET_SUGGESTIONS};

struct Apartment {
  int init_count = 0;
  DWORD model = COINIT_APARTMENTTHREADED;
};
thread_local Apartment apartment;

struct TableEntry {
  IUnknown* object;  // holds the table's reference to the registered interface
  std::thread::id thread;
  ApartmentBound* bound;  // the same object's thread binding, or null
};

// The process's interface table; the table objects that CoCreateInstance hands out are views of
// it.
class InterfaceTable {
 public:
  static InterfaceTable& Get() {
    static InterfaceTable table;
    return table;
  }

  HRESULT Register(IUnknown* object, REFIID riid, DWORD* cookie) {
    IUnknown* registered = nullptr;
    if (FAILED(object->QueryInterface(riid, reinterpret_cast<void**>(&registered))) ||
        registered == nullptr) {
      return E_NOINTERFACE;
    }
    std::lock_guard<std::mutex> lock(mutex);
    do {
      *cookie = next_cookie++;
    } while (*cookie == 0 || entries.count(*cookie) != 0);
    entries[*cookie] = TableEntry{registered, std::this_thread::get_id(),
                                  dynamic_cast<ApartmentBound*>(registered)};
    return S_OK;
  }

  HRESULT Revoke(DWORD cookie) {
    IUnknown* registered = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex);
      auto entry = entries.find(cookie);
      if (entry == entries.end()) {
        return E_INVALIDARG;
      }
      registered = entry->second.object;
      entries.erase(entry);
    }
    registered->Release();
    return S_OK;
  }

  HRESULT Fetch(DWORD cookie, REFIID riid, void** object) {
    std::lock_guard<std::mutex> lock(mutex);
    auto entry = entries.find(cookie);
    if (entry == entries.end()) {
      return E_INVALIDARG;
    }
    if (entry->second.thread != std::this_thread::get_id() && entry->second.bound != nullptr) {
      return entry->second.bound->CreateForThisThread(riid, object);
    }
    return entry->second.object->QueryInterface(riid, object);
  }

  int64_t Size() {
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int64_t>(entries.size());
  }

 private:
  std::mutex mutex;
  std::map<DWORD, TableEntry> entries;
  DWORD next_cookie = 1;
};

class GlobalInterfaceTable : public ComObject<IGlobalInterfaceTable, IID_IGlobalInterfaceTable> {
 public:
  HRESULT RegisterInterfaceInGlobal(IUnknown* object, REFIID riid, DWORD* cookie) override {
    if (const auto early = StartCall(ComCall::kRegisterInterface, cookie, E_INVALIDARG)) {
      return *early;
    }
    if (object == nullptr) {
      return E_INVALIDARG;
    }
    if (!ComInitializedOnThisThread()) {
      return CO_E_NOTINITIALIZED;
    }
    return InterfaceTable::Get().Register(object, riid, cookie);
  }

  HRESULT RevokeInterfaceFromGlobal(DWORD cookie) override {
    if (const auto fault = InjectedResult(ComCall::kRevokeInterface)) {
      return *fault;
    }
    return InterfaceTable::Get().Revoke(cookie);
  }

  HRESULT GetInterfaceFromGlobal(DWORD cookie, REFIID riid, void** object) override {
    if (const auto early = StartCall(ComCall::kGetInterface, object, E_INVALIDARG)) {
      return *early;
    }
    if (!ComInitializedOnThisThread()) {
      return CO_E_NOTINITIALIZED;
    }
    return InterfaceTable::Get().Fetch(cookie, riid, object);
  }
};

class EnumString : public ComObject<IEnumString, IID_IEnumString> {
 public:
  explicit EnumString(std::vector<std::u16string> strings) : strings(std::move(strings)) {}

  HRESULT Next(ULONG count, LPOLESTR* elements, ULONG* fetched) override {
    if (elements == nullptr || (fetched == nullptr && count != 1)) {
      return E_INVALIDARG;
    }
    ULONG taken = 0;
    while (taken < count && index < strings.size()) {
      LPWSTR copy = DuplicateString(strings[index]);
      if (copy == nullptr) {
        break;
      }
      elements[taken++] = copy;
      ++index;
    }
    for (ULONG rest = taken; rest < count; ++rest) {
      elements[rest] = nullptr;
    }
    if (fetched != nullptr) {
      *fetched = taken;
    }
    return taken == count ? S_OK : S_FALSE;
  }

  HRESULT Skip(ULONG count) override {
    const size_t left = strings.size() - index;
    index += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }

  HRESULT Reset() override {
    index = 0;
    return S_OK;
  }

  HRESULT Clone(IEnumString** clone) override {
    if (clone == nullptr) {
      return E_POINTER;
    }
    auto* copy = new EnumString(strings);
    copy->index = index;
    *clone = copy;
    return S_OK;
  }

 private:
  std::vector<std::u16string> strings;
  size_t index = 0;
};

}  // namespace

std::optional<HRESULT> InjectedResult(ComCall call) {
  const size_t kind = static_cast<size_t>(call);
  ++call_counts[kind];
  if (!fault_set[kind].load()) {
    return std::nullopt;
  }
  return fault_result[kind].load();
}

bool ComInitializedOnThisThread() { return apartment.init_count > 0; }

CORRECTIVE_ACTION ReportedCorrectiveAction() {
  return static_cast<CORRECTIVE_ACTION>(corrective_action.load());
}

LiveObject::LiveObject() { ++live_objects; }
LiveObject::~LiveObject() { --live_objects; }

LPWSTR DuplicateString(const std::u16string& text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
  if (copy != nullptr) {
    std::memcpy(copy, text.data(), text.size() * sizeof(WCHAR));
    copy[text.size()] = 0;
  }
  return copy;
}

HRESULT CreateEnumString(std::vector<std::u16string> strings, IEnumString** enumerator) {
  *enumerator = new EnumString(std::move(strings));
  return S_OK;
}

}  // namespace com_layer

namespace com_testing {

void SetFault(ComCall call, HRESULT result) {
  const size_t kind = static_cast<size_t>(call);
  com_layer::fault_result[kind] = result;
  com_layer::fault_set[kind] = true;
}

void ClearFaults() {
  for (auto& set : com_layer::fault_set) {
    set = false;
  }
}

int64_t CallCount(ComCall call) { return com_layer::call_counts[static_cast<size_t>(call)]; }

int64_t LiveObjects() { return com_layer::live_objects; }

int64_t RegisteredInterfaces() { return com_layer::InterfaceTable::Get().Size(); }

int ThreadInitCount() { return com_layer::apartment.init_count; }

void SetReportedCorrectiveAction(CORRECTIVE_ACTION action) {
  com_layer::corrective_action = action;
}

}  // namespace com_testing
}  // namespace spellchecker

using spellchecker::com_layer::apartment;
using spellchecker::com_layer::ComCall;
using spellchecker::com_layer::InjectedResult;

HRESULT CoInitializeEx(LPVOID reserved, DWORD coinit) {
  if (const auto fault = InjectedResult(ComCall::kCoInitializeEx)) {
    return *fault;
  }
  if (reserved != nullptr ||
      (coinit != COINIT_APARTMENTTHREADED && coinit != COINIT_MULTITHREADED)) {
    return E_INVALIDARG;
  }
  if (apartment.init_count > 0) {
    if (apartment.model != coinit) {
      return RPC_E_CHANGED_MODE;
    }
    ++apartment.init_count;
    return S_FALSE;
  }
  apartment.model = coinit;
  apartment.init_count = 1;
  return S_OK;
}

void CoUninitialize() {
  InjectedResult(ComCall::kCoUninitialize);  // counted; the call has no result to fail
  // As on the platform, an unbalanced call does nothing.
  if (apartment.init_count > 0) {
    --apartment.init_count;
  }
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         LPVOID* object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  const bool factory = clsid == CLSID_SpellCheckerFactory;
  if (!factory && clsid != CLSID_StdGlobalInterfaceTable) {
    return REGDB_E_CLASSNOTREG;
  }
  if (const auto fault =
          InjectedResult(factory ? ComCall::kCreateFactory : ComCall::kCreateGlobalTable)) {
    return *fault;
  }
  if (outer != nullptr) {
    return CLASS_E_NOAGGREGATION;
  }
  if ((context & CLSCTX_INPROC_SERVER) == 0) {
    return REGDB_E_CLASSNOTREG;
  }
  if (!spellchecker::com_layer::ComInitializedOnThisThread()) {
    return CO_E_NOTINITIALIZED;
  }
  if (factory) {
    return spellchecker::com_layer::CreateSpellCheckerFactory(riid, object);
  }
  auto* table = new spellchecker::com_layer::GlobalInterfaceTable();
  const HRESULT result = table->QueryInterface(riid, object);
  table->Release();
  return result;
}

LPVOID CoTaskMemAlloc(size_t size) {
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory != nullptr) {
    ++spellchecker::com_layer::live_objects;
  }
  return memory;
}

void CoTaskMemFree(LPVOID memory) {
  if (memory != nullptr) {
    --spellchecker::com_layer::live_objects;
    std::free(memory);
  }
}
