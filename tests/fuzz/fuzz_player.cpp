// Any bytes as the one player executable of an archive: its header, tag list,
// module information, Config and GetModuleInfo at load, then a check, an open,
// a few ticks, a subsong switch and a close of the same bytes as a module.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/memory_archive.h"
#include "machine/amiga_machine.h"
#include "players/player_archive.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "session/player_calls.h"
#include "session/render.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varno;
    fuzz::MemoryFiles& files = fuzz::memoryFiles();
    files.archive = {{"player", std::vector<uint8_t>(data, data + size)}};
    {
        std::unique_ptr<AmigaMachine> machine = createMachine(&fuzz::memoryHost(), "");
        AmigaMachine& m = *machine;
        // Fault messages are expected here; they are not what is looked for.
        m.faultSink = [](const std::string&) {};
        ensureCatalogue(m);
        const char* path = "fuzz/song";
        const uint32_t checked = size < kCheckBufferSize ? uint32_t(size) : kCheckBufferSize;
        identifyModule(m, path, data, checked, uint32_t(size));
        if (size <= m.mainMemory->size && openModule(m, path, data, uint32_t(size))) {
            std::vector<float> buffer(2 * 4800);
            render(m, buffer.data(), int32_t(buffer.size()));
            startSubsong(m, 1, false);
            render(m, buffer.data(), int32_t(buffer.size()));
            closeModule(m);
        }
    }
    if (fuzz::openMemoryFiles() != 0) std::abort();
    return 0;
}
