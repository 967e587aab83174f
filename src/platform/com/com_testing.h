#pragma once

// Test-only control of the COM layer: injected failures, call counts and live objects. Nothing
// in the product calls these; without them the layer behaves as the platform does.

#include <cstdint>

#include "platform/com/com.h"

namespace spellchecker {
namespace com_testing {

enum class ComCall {
  kCoInitializeEx,
  kCoUninitialize,
  kCreateFactory,      // CoCreateInstance of CLSID_SpellCheckerFactory
  kCreateGlobalTable,  // CoCreateInstance of CLSID_StdGlobalInterfaceTable
  kGetSupportedLanguages,
  kIsSupported,
  kCreateSpellChecker,
  kCheckerQueryInterface,  // QueryInterface on a spell checker
  kRegisterInterface,
  kRevokeInterface,
  kGetInterface,
  kCheck,
  kSuggest,
  kAdd,
  kCount,
};

// From now on every call of that kind answers `result` without doing its work, its out values
// null, zero or false; a success result thus stands for "succeeded but gave nothing". Applies
// to all threads until ClearFaults.
void SetFault(ComCall call, HRESULT result);
void ClearFaults();

// Calls of that kind made in the process so far, failed ones included.
int64_t CallCount(ComCall call);

// Objects, CoTaskMemAlloc blocks and Enchant brokers alive in the layer.
int64_t LiveObjects();
// Cookies registered in the global interface table.
int64_t RegisteredInterfaces();
// CoInitializeEx calls on the calling thread not yet matched by CoUninitialize.
int ThreadInitCount();

// The corrective action that spelling errors report from now on (the service's own is
// CORRECTIVE_ACTION_GET_SUGGESTIONS).
void SetReportedCorrectiveAction(CORRECTIVE_ACTION action);

}  // namespace com_testing
}  // namespace spellchecker
