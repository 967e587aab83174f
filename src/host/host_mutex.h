#pragma once

// The host's mutex functions, uv_mutex_init, uv_mutex_lock, uv_mutex_unlock and
// uv_mutex_destroy: resolved against the executable that loads the module, or against libuv in
// programs outside one. Included before anything that brings in windows.h, since on Windows
// uv.h brings in winsock2.h, which must precede it.
#include <uv.h>
