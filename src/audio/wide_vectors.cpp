#include "audio/wide_vectors.h"

namespace varno {

namespace {

bool processorHasWideVectors() {
#if defined(VARNO_WIDE_VECTORS)
    return __builtin_cpu_supports("avx");
#else
    return false;
#endif
}

} // namespace

bool wideVectors = processorHasWideVectors();

bool allowWideVectors(bool allowed) {
    wideVectors = allowed && processorHasWideVectors();
    return wideVectors;
}

} // namespace varno
