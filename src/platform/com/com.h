#pragma once

// The part of COM and of the Windows Spell Checking API that the system backend uses, declared
// under the platform's names for systems without them. Behind it: reference-counted objects,
// per-thread initialisation, a process-wide interface table, and a spelling service over
// Enchant 2. Results follow the platform's conventions: a negative HRESULT is a failure.

#include <cstddef>
#include <cstdint>

using HRESULT = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using BOOL = int;
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPOLESTR = WCHAR*;
using LPVOID = void*;

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

bool operator==(const GUID& a, const GUID& b);
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

constexpr bool SUCCEEDED(HRESULT result) { return result >= 0; }
constexpr bool FAILED(HRESULT result) { return result < 0; }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);
constexpr HRESULT RPC_E_WRONG_THREAD = static_cast<HRESULT>(0x8001010Eu);

enum COINIT : DWORD {
  COINIT_MULTITHREADED = 0,
  COINIT_APARTMENTTHREADED = 2,
};

enum CLSCTX : DWORD {
  CLSCTX_INPROC_SERVER = 1,
};

enum CORRECTIVE_ACTION {
  CORRECTIVE_ACTION_NONE = 0,
  CORRECTIVE_ACTION_GET_SUGGESTIONS = 1,
  CORRECTIVE_ACTION_REPLACE = 2,
  CORRECTIVE_ACTION_DELETE = 3,
};

extern const IID IID_IUnknown;
extern const IID IID_IEnumString;
extern const IID IID_ISpellingError;
extern const IID IID_IEnumSpellingError;
extern const IID IID_ISpellChecker;
extern const IID IID_ISpellCheckerFactory;
extern const IID IID_IGlobalInterfaceTable;
extern const CLSID CLSID_SpellCheckerFactory;
extern const CLSID CLSID_StdGlobalInterfaceTable;

// Objects are destroyed by their last Release, never by delete through these interfaces.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

// Strings handed out are allocated with CoTaskMemAlloc; the caller frees them with
// CoTaskMemFree. Without a fetched-count pointer only one element may be asked for.
struct IEnumString : IUnknown {
  virtual HRESULT Next(ULONG count, LPOLESTR* elements, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumString** clone) = 0;

 protected:
  ~IEnumString() = default;
};

// One misspelled word: its start and length in UTF-16 code units of the checked text.
struct ISpellingError : IUnknown {
  virtual HRESULT get_StartIndex(ULONG* value) = 0;
  virtual HRESULT get_Length(ULONG* value) = 0;
  virtual HRESULT get_CorrectiveAction(CORRECTIVE_ACTION* value) = 0;
  virtual HRESULT get_Replacement(LPWSTR* value) = 0;

 protected:
  ~ISpellingError() = default;
};

// S_OK with the next error, S_FALSE (and null) when there is none left.
struct IEnumSpellingError : IUnknown {
  virtual HRESULT Next(ISpellingError** value) = 0;

 protected:
  ~IEnumSpellingError() = default;
};

// Belongs to the thread that made it; from any other thread every call fails with
// RPC_E_WRONG_THREAD. Another thread gets its own through the global interface table.
struct ISpellChecker : IUnknown {
  virtual HRESULT get_LanguageTag(LPWSTR* value) = 0;
  // The text ends at its first NUL unit.
  virtual HRESULT Check(LPCWSTR text, IEnumSpellingError** value) = 0;
  // S_FALSE (with an empty enumerator) when the word is spelled correctly.
  virtual HRESULT Suggest(LPCWSTR word, IEnumString** value) = 0;
  virtual HRESULT Add(LPCWSTR word) = 0;
  virtual HRESULT Ignore(LPCWSTR word) = 0;

 protected:
  ~ISpellChecker() = default;
};

// Language tags are spelled as on the platform, with "-" (en-US); one with "_" is unsupported.
struct ISpellCheckerFactory : IUnknown {
  virtual HRESULT get_SupportedLanguages(IEnumString** value) = 0;
  virtual HRESULT IsSupported(LPCWSTR language_tag, BOOL* value) = 0;
  virtual HRESULT CreateSpellChecker(LPCWSTR language_tag, ISpellChecker** value) = 0;

 protected:
  ~ISpellCheckerFactory() = default;
};

// Registration holds a reference until the cookie is revoked. An interface fetched on the
// registering thread is the object itself; on another thread it is an object of that thread's
// own, as an apartment would give.
struct IGlobalInterfaceTable : IUnknown {
  virtual HRESULT RegisterInterfaceInGlobal(IUnknown* object, REFIID riid, DWORD* cookie) = 0;
  virtual HRESULT RevokeInterfaceFromGlobal(DWORD cookie) = 0;
  virtual HRESULT GetInterfaceFromGlobal(DWORD cookie, REFIID riid, void** object) = 0;

 protected:
  ~IGlobalInterfaceTable() = default;
};

// Counted per thread: S_OK for the first call on a thread, S_FALSE for each further one with
// the same model, RPC_E_CHANGED_MODE for another model. Each successful call needs a
// CoUninitialize on the same thread.
HRESULT CoInitializeEx(LPVOID reserved, DWORD coinit);
void CoUninitialize();
// Knows CLSID_SpellCheckerFactory and CLSID_StdGlobalInterfaceTable; the factory class is not
// registered (REGDB_E_CLASSNOTREG) when the spelling service has no dictionary at all. Needs
// COM initialised on the calling thread.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         LPVOID* object);
LPVOID CoTaskMemAlloc(size_t size);
void CoTaskMemFree(LPVOID memory);
