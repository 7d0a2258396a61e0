#include "cli/version.h"

namespace varno::cli {

// Set by the build (VARNO_VERSION in src/cli/CMakeLists.txt).
const char* const kVersion = VARNO_VERSION;

} // namespace varno::cli
