// The process's resident memory as the kernel counts it (/proc/self/status).
#pragma once

#include <cstdint>

namespace varno::soak {

// Peak resident set (VmHWM) and current resident set (VmRSS) in KiB; 0 when
// the kernel does not say.
uint64_t peakResidentKiB();
uint64_t residentKiB();

} // namespace varno::soak
