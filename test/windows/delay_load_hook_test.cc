// Checks the module's delay-load notification hook, linked here from the module's own source,
// through mingw-w64's real delay-load helper and directly. This program imports HostAnswer from
// "node.exe" and exports it itself, so a call can only succeed when the hook hands the helper
// this executable; PeerAnswer comes from a real DLL that the hook must leave to the helper's
// default loading. lld keeps one delay-load descriptor per library whatever the letter case of
// its name, so other spellings of node.exe are asked of the hook directly.
#include <windows.h>

#include <delayimp.h>

#include <cstdio>
#include <string>
#include <vector>

extern "C" {
int HostAnswer();  // delay-loaded from "node.exe"
int PeerAnswer();  // delay-loaded from "delay_load_peer.dll"

// Exported as HostAnswer, a name that the import library defines on this side as well, so the
// export names a symbol of its own.
int LocalHostAnswer() { return 1; }
}
__asm__(".section .drectve,\"yn\"\n.ascii \" -export:HostAnswer=LocalHostAnswer\"\n.text");

namespace {

constexpr int kPeerAnswer = 2;

int failures = 0;

void Expect(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  if (!ok) ++failures;
}

struct HookCall {
  unsigned notification;
  std::string dll;
  FARPROC answer;
};

std::vector<HookCall> hook_calls;
PfnDliHook module_hook = nullptr;

// Sits between the helper and the module's hook and keeps what the helper asked and was told.
FARPROC WINAPI RecordingHook(unsigned notification, PDelayLoadInfo info) {
  FARPROC answer = module_hook(notification, info);
  hook_calls.push_back({notification, info->szDll != nullptr ? info->szDll : "", answer});
  return answer;
}

FARPROC MainExecutable() { return reinterpret_cast<FARPROC>(GetModuleHandleA(nullptr)); }

std::vector<const HookCall*> PreLoadCallsFor(const std::string& dll) {
  std::vector<const HookCall*> found;
  for (const HookCall& call : hook_calls) {
    if (call.notification == dliNotePreLoadLibrary && call.dll == dll) found.push_back(&call);
  }
  return found;
}

void CheckThroughHelper() {
  module_hook = __pfnDliNotifyHook2;
  Expect(module_hook != nullptr, "the module installs a notification hook");
  if (module_hook == nullptr) return;
  __pfnDliNotifyHook2 = RecordingHook;

  Expect(HostAnswer() == 1, "an import from node.exe resolves against this executable");
  Expect(PeerAnswer() == kPeerAnswer, "an import from another DLL resolves against that DLL");
  Expect(HostAnswer() == 1 && PeerAnswer() == kPeerAnswer, "bound imports are called directly");
  __pfnDliNotifyHook2 = module_hook;

  std::vector<const HookCall*> host = PreLoadCallsFor("node.exe");
  Expect(host.size() == 1 && host[0]->answer == MainExecutable(),
         "the hook answers the load of node.exe once, with the main executable");
  std::vector<const HookCall*> peer = PreLoadCallsFor("delay_load_peer.dll");
  Expect(peer.size() == 1 && peer[0]->answer == nullptr,
         "the hook leaves the load of delay_load_peer.dll to the helper");
  HMODULE peer_module = GetModuleHandleA("delay_load_peer.dll");
  Expect(peer_module != nullptr && peer_module != GetModuleHandleA(nullptr),
         "the helper loaded delay_load_peer.dll itself");

  size_t other_notifications = 0;
  bool all_null = true;
  for (const HookCall& call : hook_calls) {
    if (call.notification == dliNotePreLoadLibrary) continue;
    ++other_notifications;
    all_null = all_null && call.answer == nullptr;
  }
  Expect(other_notifications > 0 && all_null, "the hook answers null to the helper's other " +
                                                  std::to_string(other_notifications) +
                                                  " notifications");
  Expect(hook_calls.size() == 2 + other_notifications,
         "the helper asked about each library's load exactly once");
}

void CheckDirectly() {
  struct Case {
    const char* dll;
    bool host;
  };
  const Case cases[] = {
      {"node.exe", true},      {"NODE.EXE", true},  {"Node.Exe", true},      {"nOdE.eXe", true},
      {"node.exe.dll", false}, {"node", false},     {"node.ex", false},      {"xnode.exe", false},
      {"node.exe ", false},    {"host.exe", false}, {"kernel32.dll", false}, {"", false},
  };
  for (const Case& c : cases) {
    DelayLoadInfo info = {};
    info.cb = sizeof(info);
    info.szDll = c.dll;
    FARPROC answer = module_hook(dliNotePreLoadLibrary, &info);
    Expect(answer == (c.host ? MainExecutable() : nullptr),
           std::string("pre-load of \"") + c.dll + "\" answered " +
               (c.host ? "with the main executable" : "null"));
  }
  const unsigned other_notifications[] = {dliStartProcessing, dliNotePreGetProcAddress,
                                          dliFailLoadLib, dliFailGetProc, dliNoteEndProcessing};
  for (unsigned notification : other_notifications) {
    DelayLoadInfo info = {};
    info.cb = sizeof(info);
    info.szDll = "node.exe";
    Expect(module_hook(notification, &info) == nullptr,
           "notification " + std::to_string(notification) + " for node.exe answered null");
  }
}

}  // namespace

int main() {
  CheckThroughHelper();
  if (module_hook != nullptr) CheckDirectly();
  std::printf("%d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
