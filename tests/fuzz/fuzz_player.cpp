// Any bytes as the one player of a catalogue held in memory: its header, tag
// list, module information, Config and GetModuleInfo at load, then the same
// bytes opened as a module through the library, a few ticks, a subsong switch,
// a seek back and the close.
#include <cstdint>
#include <vector>

#include "library/module.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varno;
    OpenOptions options;
    options.players = {{"player", std::vector<uint8_t>(data, data + size)}};
    options.measureLengths = false;
    try {
        Module module(data, size, "fuzz/song", options);
        std::vector<float> buffer(2 * 4800);
        module.render(buffer.data(), 4800);
        module.selectSubsong(1);
        module.render(buffer.data(), 4800);
        module.seek(0.01);
        module.render(buffer.data(), 4800);
    } catch (const OpenError&) {
        // Most inputs are no player's module: refusing them is the answer.
    }
    return 0;
}
