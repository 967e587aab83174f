#pragma once
// What the test spelling service (spell_service.dll) reports of itself, read through its export
// SpellServiceCounts, found with GetProcAddress on the loaded DLL.
#include <windows.h>

struct SpellServiceCountsRecord {
  long live_objects;         // service objects not yet released
  long outstanding_strings;  // strings handed out and not freed; -1 when frees cannot be seen
  long handed_strings;       // strings handed out in all
};

using SpellServiceCountsFunction = void(WINAPI*)(SpellServiceCountsRecord* counts);
