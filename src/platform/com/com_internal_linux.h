#pragma once

// Shared by the pieces of the COM layer; not for its users.

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/com_testing.h"

namespace spellchecker {
namespace com_layer {

using com_testing::ComCall;

// Counts the call; the injected result when the test controls fail it, empty when it goes on.
std::optional<HRESULT> InjectedResult(ComCall call);

// How a call with an out-parameter opens: `null_result` for a null `out`; otherwise `*out`
// cleared, then InjectedResult(call).
template <typename T>
std::optional<HRESULT> StartCall(ComCall call, T* out, HRESULT null_result = E_POINTER) {
  if (out == nullptr) return null_result;
  *out = T();
  return InjectedResult(call);
}
bool ComInitializedOnThisThread();
CORRECTIVE_ACTION ReportedCorrectiveAction();

// Counts itself among the layer's live objects.
class LiveObject {
 public:
  LiveObject();
  LiveObject(const LiveObject&) = delete;
  LiveObject& operator=(const LiveObject&) = delete;
  ~LiveObject();
};

// Reference counting and QueryInterface for an object with one interface besides IUnknown.
template <typename Interface, const IID& kInterfaceId>
class ComObject : public Interface {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == kInterfaceId) {
      AddRef();
      *object = static_cast<Interface*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    const ULONG left = --references;
    if (left == 0) {
      delete this;
    }
    return left;
  }

 protected:
  virtual ~ComObject() = default;

 private:
  std::atomic<ULONG> references{1};
  LiveObject live;
};

// An object that belongs to the thread that made it. The interface table asks it for an object
// of the calling thread's own when another thread fetches it.
class ApartmentBound {
 public:
  virtual HRESULT CreateForThisThread(REFIID riid, void** object) = 0;

 protected:
  ~ApartmentBound() = default;
};

// A copy allocated with CoTaskMemAlloc, NUL-terminated; null when memory runs out.
LPWSTR DuplicateString(const std::u16string& text);

// An enumerator over a fixed list, handing out copies.
HRESULT CreateEnumString(std::vector<std::u16string> strings, IEnumString** enumerator);

HRESULT CreateSpellCheckerFactory(REFIID riid, void** object);

}  // namespace com_layer
}  // namespace spellchecker
