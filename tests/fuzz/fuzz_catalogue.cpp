// Any bytes as the player archive xmp-varno.dat, read through the portable
// host's ZIP support: listing, entries that are not executables, damaged sizes,
// and whatever loads from it as players. A test module is then checked.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "fuzz/plugin_host.h"
#include "machine/amiga_machine.h"
#include "players/player_archive.h"
#include "session/module_session.h"
#include "session/song.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varno;
    PortableHost& host = PortableHost::instance();
    const std::string folder = fuzz::scratchFolder().string() + "/";
    fuzz::writeScratch("xmp-varno.dat", data, size);
    {
        Song song;
        std::unique_ptr<AmigaMachine> machine = createMachine(&host.tables(), folder.c_str());
        machine->faultSink = [](const std::string&) {};
        attachSong(*machine, song);
        PlayerArchive* archive = ensureCatalogue(*machine);
        if (!archive || archive->count < 1 || archive->count > PlayerArchive::kMaxItems) std::abort();
        uint8_t module[128] = {'V', 'T', 'S', '1'};
        identifyModule(*machine, song, "song.vts1", module, sizeof module, sizeof module);
    }
    if (host.openFileCount() != 0) std::abort();
    return 0;
}
