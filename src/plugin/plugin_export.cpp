// The shared object's one export lives in the plugin library; this reference
// keeps the linker from dropping it.
#include "plugin/xmpin.h"

extern "C" const void* const varnoExportedEntry = reinterpret_cast<const void*>(&XMPIN_GetInterface);
