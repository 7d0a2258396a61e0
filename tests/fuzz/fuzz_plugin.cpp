// Any bytes as a module file, taken the whole way a host takes it through the
// interface table with the default player archive: check, file information,
// open, a few seconds of sound, a check of another file while it plays, a
// subsong switch, close. Seeded with our own modules and the shared songs, so
// the replay code of the players is fuzzed as well.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/plugin_host.h"

namespace {

const varno::XmpInterface* plugin = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace varno;
    setErrorSink([](const std::string&, const std::string&) {});
    PortableHost& host = PortableHost::instance();
    host.setSettingsFile((fuzz::scratchFolder() / "varno.ini").string());
    plugin = XMPIN_GetInterface(kInterfaceVersion, PortableHost::functionTable);
    // Every input is scanned: lengths kept from an earlier input would skip the scan.
    pluginInstance()->lengthCache.reset();
    const std::string dir = pluginInstance()->directory;
    host.redirect(dir + "xmp-varno.dat", fuzz::playerArchive());
    host.redirect(dir + "xmp-varno.env", std::string(VARNO_TEST_ARCHIVE).replace(
                                             std::string(VARNO_TEST_ARCHIVE).size() - 3, 3, "env"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varno;
    if (!plugin) std::abort();
    PortableHost& host = PortableHost::instance();
    const HostFileFunctions& files = *host.tables().fileFunctions;
    const HostMemoryFunctions& memory = *host.tables().memoryFunctions;
    const std::string path = fuzz::writeScratch("song.mod", data, size);
    const std::string other = fuzz::writeScratch("other.mod", data, size < 600 ? size : 600);

    HostFile file = files.open(path.c_str());
    plugin->checkFile(path.c_str(), file);
    float* lengths = nullptr;
    char* tags = nullptr;
    plugin->getFileInfo(path.c_str(), file, &lengths, &tags);
    memory.release(lengths);
    memory.release(tags);

    if (plugin->open(path.c_str(), file) == 2) {
        std::vector<float> buffer(2 * 4800);
        // Three seconds, in the host's tenth-of-a-second requests.
        for (int part = 0; part < 30; ++part)
            if (plugin->process(buffer.data(), uint32_t(buffer.size())) < buffer.size()) break;
        HostFile second = files.open(other.c_str());
        plugin->checkFile(other.c_str(), second);
        if (second) files.close(second);
        lengths = nullptr;
        tags = nullptr;
        plugin->getFileInfo(path.c_str(), file, &lengths, &tags);
        memory.release(lengths);
        memory.release(tags);
        plugin->setPosition(kPositionSubsong | 1);
        for (int part = 0; part < 5; ++part)
            if (plugin->process(buffer.data(), uint32_t(buffer.size())) < buffer.size()) break;
        plugin->close();
    }
    if (file) files.close(file);
    if (host.openFileCount() != 0) std::abort();
    return 0;
}
