// The system backend over real COM: with_spell_service.sh registers the test spelling service
// (spell_service/) as the platform's CLSID_SpellCheckerFactory, so CoCreateInstance reaches it
// as it would reach the Windows service. After each case every object the service made must be
// released and every string it handed out freed, read through its export SpellServiceCounts.
// The program is its own host: it defines the libuv mutex functions that node.exe gives the
// module.
#include "backends/system/com_users.h"
#include "backends/system/system_spell_backend.h"

#include <windows.h>

#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "spell_service/spell_service_counts.h"

extern "C" {
int uv_mutex_init(uv_mutex_t* mutex) {
  InitializeCriticalSection(mutex);
  return 0;
}
void uv_mutex_destroy(uv_mutex_t* mutex) { DeleteCriticalSection(mutex); }
void uv_mutex_lock(uv_mutex_t* mutex) { EnterCriticalSection(mutex); }
void uv_mutex_unlock(uv_mutex_t* mutex) { LeaveCriticalSection(mutex); }
}

namespace {

using spellchecker::ComUsers;
using spellchecker::SystemSpellBackend;
using spellchecker::WordRange;

int failures = 0;

void Expect(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  if (!ok) ++failures;
}

// The service's counts; the DLL stays loaded once COM has loaded it (it pins itself).
SpellServiceCountsRecord Counts() {
  SpellServiceCountsRecord counts{-1, -1, -1};
  const HMODULE service = GetModuleHandleW(L"spell_service.dll");
  const auto read = service == nullptr ? nullptr
                                       : reinterpret_cast<SpellServiceCountsFunction>(
                                             GetProcAddress(service, "SpellServiceCounts"));
  if (read != nullptr) read(&counts);
  return counts;
}

void ExpectNothingLeft(const std::string& after) {
  const SpellServiceCountsRecord counts = Counts();
  Expect(counts.live_objects == 0,
         after + ": no live service objects (" + std::to_string(counts.live_objects) + ")");
  Expect(counts.outstanding_strings == 0,
         after + ": no strings left unfreed (" + std::to_string(counts.outstanding_strings) + ")");
}

// Whether COM is initialised on this thread, leaving it as it was.
bool ComInitialisedHere() {
  const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(result)) CoUninitialize();
  return result == S_FALSE;
}

bool Contains(const std::vector<std::string>& list, const std::string& entry) {
  for (const std::string& item : list) {
    if (item == entry) return true;
  }
  return false;
}

// The counts show what they claim: a string kept and an object kept are seen until freed.
void CountsSeeWhatIsKept() {
  Expect(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) == S_OK, "COM starts for the probe");
  ISpellCheckerFactory* factory = nullptr;
  Expect(
      SUCCEEDED(CoCreateInstance(CLSID_SpellCheckerFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_ISpellCheckerFactory, reinterpret_cast<void**>(&factory))) &&
          factory != nullptr,
      "CoCreateInstance reaches the registered service");
  if (factory != nullptr) {
    Expect(Counts().live_objects == 1, "the factory counts as live");
    IEnumString* tags = nullptr;
    LPOLESTR tag = nullptr;
    if (SUCCEEDED(factory->get_SupportedLanguages(&tags)) && tags != nullptr) {
      tags->Next(1, &tag, nullptr);
      tags->Release();
    }
    Expect(tag != nullptr && Counts().outstanding_strings == 1, "a kept string is counted");
    CoTaskMemFree(tag);
    Expect(Counts().outstanding_strings == 0, "a freed string is no longer counted");
    factory->Release();
  }
  CoUninitialize();
  ExpectNothingLeft("the probe");
}

// Only the first live backend initialises COM, only the last one uninitialises it, and both
// reach the service meanwhile.
void TwoBackendsAtOnce() {
  Expect(!ComInitialisedHere(), "no COM before the first backend");
  auto first = std::make_unique<SystemSpellBackend>();
  Expect(ComUsers::Count() == 1 && !ComUsers::InitFailed() && first->HasFactory(),
         "the first backend starts COM and gets the factory");
  auto second = std::make_unique<SystemSpellBackend>();
  Expect(ComUsers::Count() == 2 && second->HasFactory(), "the second gets a factory as well");
  Expect(first->SetDictionary("en_US", "") && second->SetDictionary("pl-PL", ""),
         "each sets a dictionary");
  Expect(first->IsMisspelled("helo") && !first->IsMisspelled("hello"), "en-US checks");
  Expect(!second->IsMisspelled(u8"za\u017c\u00f3\u0142\u0107") && second->IsMisspelled("zazolc"),
         "pl-PL checks non-ASCII words");
  Expect(Contains(second->GetCorrectionsForMisspelling("zazolc"), u8"za\u017c\u00f3\u0142\u0107"),
         "pl-PL suggests in UTF-8");
  Expect(Contains(first->GetAvailableDictionaries(""), "fr-FR"), "the tags are listed");
  first.reset();
  Expect(ComInitialisedHere(), "COM stays while the second lives");
  Expect(!second->IsMisspelled("dobry"), "the second still works");
  second.reset();
  Expect(ComUsers::Count() == 0 && !ComInitialisedHere(), "the last one ends COM");
  ExpectNothingLeft("two backends");
}

// A range checker made on another thread gets its own checker through the global interface
// table: it keeps the language current when it was made, and counts in UTF-16 units.
void RangeCheckerOnAnotherThread() {
  auto backend = std::make_unique<SystemSpellBackend>();
  Expect(backend->SetDictionary("en-US", ""), "en-US for the range checker");
  std::promise<void> made, changed;
  std::vector<WordRange> before, after;
  bool com_initialised = false;
  std::thread worker([&] {
    auto range_checker = backend->MakeRangeChecker();
    com_initialised = ComInitialisedHere();
    const std::u16string text = u"hello wrold \U0001D11E helo";
    before = range_checker->FindMisspellings(text.data(), text.size());
    made.set_value();
    changed.get_future().wait();
    after = range_checker->FindMisspellings(text.data(), text.size());
    range_checker.reset();
  });
  made.get_future().wait();
  Expect(backend->SetDictionary("pl-PL", ""), "the backend moves on to pl-PL");
  changed.set_value();
  worker.join();
  Expect(com_initialised, "the range checker initialises COM on its own thread");
  const std::vector<WordRange> expected{{6, 11}, {15, 19}};
  Expect(before == expected, "errors in UTF-16 units, after a character outside the BMP");
  Expect(after == expected, "the range checker keeps its language");
  Expect(backend->IsMisspelled("hello"), "the backend checks pl-PL");
  backend.reset();
  ExpectNothingLeft("the range checker");
}

}  // namespace

int main() {
  CountsSeeWhatIsKept();
  TwoBackendsAtOnce();
  RangeCheckerOnAnotherThread();
  std::printf("%d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
