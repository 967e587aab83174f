#pragma once

// The COM and spell-checking declarations that the system backend is written against: the
// platform's own on Windows, the Enchant-backed layer of src/platform/com elsewhere.
#if defined(_WIN32)
#include "platform/com/com_api_win.h"
#else
#include "platform/com/com.h"
#endif
