#include "plugin/subsong_lengths.h"

#include "machine/amiga_machine.h"

namespace varno {

float* subsongLengthList(const AmigaMachine& m) {
    const HostMemoryFunctions* memory = m.host ? m.host->memoryFunctions : nullptr;
    const uint32_t n = m.subsongCount;
    auto* block = memory && memory->allocate && n ? static_cast<float*>(memory->allocate(n * sizeof(float))) : nullptr;
    for (uint32_t k = 0; block && k < n; ++k)
        block[k] = m.firstSubsong + k < kMaxSubsongs ? m.subsongSeconds[m.firstSubsong + k] : 0.0f;
    return block;
}

} // namespace varno
