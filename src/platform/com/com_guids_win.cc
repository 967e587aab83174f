// Defines the Spell Checking API's GUIDs, which the platform's import libraries lack.
#include <initguid.h>

#include "platform/com/com_api_win.h"
