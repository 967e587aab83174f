// Binds the module's delay-loaded host imports (Node-API and libuv, imported from "node.exe")
// to whatever executable hosts the module, so that a host under another file name, Electron
// among them, serves them and no second copy of a host library is ever loaded.
#include <windows.h>

#include <delayimp.h>
#include <string.h>

namespace {

FARPROC WINAPI BindHostImports(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || _stricmp(info->szDll, "node.exe") != 0) {
    return nullptr;  // the delay-load helper's default handling
  }
  return reinterpret_cast<FARPROC>(GetModuleHandleA(nullptr));
}

}  // namespace

// The toolchains' delayimp.h declare the hook with and without const; defining it with the
// declared type fits both.
decltype(__pfnDliNotifyHook2) __pfnDliNotifyHook2 = BindHostImports;
