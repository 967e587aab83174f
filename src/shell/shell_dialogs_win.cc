#include <shlobj.h>
#include <windows.h>

#include "shell/shell_dialogs.h"

// SHELL32 exports its object-properties function by ordinal 178 only; the import library maps
// this name to that ordinal.
extern "C" __declspec(dllimport) BOOL WINAPI
    ShellObjectProperties(HWND owner, DWORD object_type, PCWSTR object_name, PCWSTR page_name);

namespace spellchecker {
namespace {

constexpr DWORD kObjectTypeFilePath = 2;
static_assert((OAIF_EXEC | OAIF_HIDE_REGISTRATION) == 0x24,
              "open once chosen, offer no registration");

}  // namespace

void ShowOpenWithDialog(const std::u16string& path) {
  OPENASINFO info = {};
  info.pcszFile = reinterpret_cast<PCWSTR>(path.c_str());
  info.pcszClass = nullptr;
  info.oaifInFlags = OAIF_EXEC | OAIF_HIDE_REGISTRATION;
  SHOpenWithDialog(nullptr, &info);
}

void ShowPropertiesDialog(const std::u16string& path) {
  ShellObjectProperties(nullptr, kObjectTypeFilePath, reinterpret_cast<PCWSTR>(path.c_str()),
                        nullptr);
}

}  // namespace spellchecker
