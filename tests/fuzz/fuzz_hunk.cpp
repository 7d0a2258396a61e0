// Any bytes as a hunk file: the custom-module test and the executable loader.
// The loader must write only inside the blocks it takes, leave the cursor
// where it was when it fails, and return an address inside memory.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "amigaos/hunk_loader.h"
#include "machine/amiga_machine.h"
#include "memory/memory_region.h"
#include "session/module_session.h"

namespace {

// Smaller than the machine's main memory so that "does not fit" is reached often.
constexpr uint32_t kMemoryBytes = 0x40000;
constexpr uint32_t kStart = varno::kMainMemoryBase + 0x102;  // not on a long boundary

void require(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varno;
    static MemoryRegion memory(kMainMemoryBase, kMemoryBytes);
    (void)isCustomModule(data, uint32_t(size));

    memory.cursor = kStart;
    // A guard below the start tells a write outside the blocks apart.
    memory.fill(kMainMemoryBase, 0xA5, kStart - kMainMemoryBase);
    const uint32_t loaded = loadExecutable(memory, data, size);
    if (loaded == 0) {
        require(memory.cursor == kStart);
    } else {
        require(memory.contains(loaded, 8));
        require(loaded % 4 == 0);
        require(memory.cursor <= memory.base + memory.size);
    }
    for (uint32_t a = kMainMemoryBase; a < kStart; ++a) require(memory.readByte(a) == 0xA5);
    return 0;
}
