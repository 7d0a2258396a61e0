#include "plugin/subsong_lengths.h"

#include "machine/amiga_machine.h"
#include "session/song.h"

namespace varno {

float* subsongLengthList(const AmigaMachine& m, const Song& song) {
    const HostMemoryFunctions* memory = m.host ? m.host->memoryFunctions : nullptr;
    const uint32_t n = song.subsongCount;
    auto* block = memory && memory->allocate && n ? static_cast<float*>(memory->allocate(n * sizeof(float))) : nullptr;
    for (uint32_t k = 0; block && k < n; ++k)
        block[k] = song.firstSubsong + k < kMaxSubsongs ? song.subsongSeconds[song.firstSubsong + k] : 0.0f;
    return block;
}

} // namespace varno
