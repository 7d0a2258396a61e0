// File checks through the interface table, as a music player scanning a folder
// makes them: checkFile on files that are not modules, and on modules, with the
// plugin's player archive (the default one once built, else the test players').
// The rate is in files per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "host/portable_host.h"
#include "platform/message_box.h"
#include "plugin/plugin_instance.h"
#include "plugin/xmpin.h"

namespace {

using namespace varno;

const void* VARNO_HOSTAPI hostFunctions(uint32_t table) {
    static const void* status[8] = {};
    const HostTables& t = PortableHost::instance().tables();
    switch (table) {
    case 0: return t.memoryFunctions;
    case 1: return t.settingsFunctions;
    case 2: return t.fileFunctions;
    case 3: return t.textFunctions;
    case 4: return status;
    case 11: return t.inputFunctions;
    default: return nullptr;
    }
}

std::filesystem::path folder() {
    static const std::filesystem::path path = [] {
        auto p = std::filesystem::temp_directory_path() / "varno-check-bench";
        std::filesystem::create_directories(p);
        return p;
    }();
    return path;
}

const XmpInterface* plugin() {
    static const XmpInterface* table = [] {
        setErrorSink([](const std::string&, const std::string&) {});
        PortableHost& host = PortableHost::instance();
        host.setSettingsFile((folder() / "varno.ini").string());
        const XmpInterface* t = XMPIN_GetInterface(kInterfaceVersion, hostFunctions);
        const std::string dir = pluginInstance()->directory;
        const std::string players = std::string(VARNO_M68K_DIR) + "/tests/players/";
        const std::string standard = std::string(VARNO_BIN_DIR) + "/xmp-varno.dat";
        host.redirect(dir + "xmp-varno.dat",
                      std::filesystem::exists(standard) ? standard : players + "xmp-varno.dat");
        host.redirect(dir + "xmp-varno.env", players + "xmp-varno.env");
        return t;
    }();
    return table;
}

std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = (folder() / name).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

// What a music folder holds besides modules: noise, texts, pictures, sound files,
// archives; small and up to past the 128 KB that a check reads.
std::vector<std::string> nonModules() {
    std::mt19937 random(7);
    auto noise = [&](size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = char(random());
        return s;
    };
    std::string wave = "RIFF\x24\x00\x01\x00WAVEfmt ";
    wave += noise(0x10000);
    std::string text;
    while (text.size() < 5000) text += "Track list and notes about this album.\n";
    return {
        write("noise-small.bin", noise(300)),  write("noise-large.bin", noise(0x30000)),
        write("notes.txt", text),              write("song.wav", wave),
        write("cover.jpg", "\xFF\xD8\xFF\xE0" + noise(40000)),
        write("album.zip", "PK\x03\x04" + noise(20000)),
        write("empty.dat", ""),                write("zeros.bin", std::string(0x8000, '\0')),
    };
}

std::vector<std::string> modules() {
    std::vector<std::string> paths;
    for (const char* magic : {"VTS1", "VTS2", "VTS3", "VTS4", "EASO"}) {
        std::string bytes(128, '\0');
        std::memcpy(bytes.data(), magic, 4);
        paths.push_back(write(std::string(magic) + ".mod", bytes));
    }
    const std::filesystem::path shared = std::filesystem::path(VARNO_SHARED_DIR) / "modules";
    if (std::filesystem::is_directory(shared))
        for (const auto& entry : std::filesystem::directory_iterator(shared))
            if (entry.path().extension() == ".mod") paths.push_back(entry.path().string());
    return paths;
}

void checkAll(benchmark::State& state, const std::vector<std::string>& paths) {
    const XmpInterface* p = plugin();
    const HostFileFunctions& files = *PortableHost::instance().tables().fileFunctions;
    int64_t checked = 0;
    int64_t playable = 0;
    for (auto _ : state) {
        for (const std::string& path : paths) {
            HostFile file = files.open(path.c_str());
            playable += p->checkFile(path.c_str(), file);
            if (file) files.close(file);
        }
        checked += int64_t(paths.size());
    }
    state.counters["files/s"] = benchmark::Counter(double(checked), benchmark::Counter::kIsRate);
    state.counters["playable"] = double(playable) / double(checked);
}

void BM_CheckNonModules(benchmark::State& state) { checkAll(state, nonModules()); }
BENCHMARK(BM_CheckNonModules)->Unit(benchmark::kMicrosecond);

void BM_CheckModules(benchmark::State& state) { checkAll(state, modules()); }
BENCHMARK(BM_CheckModules)->Unit(benchmark::kMicrosecond);

void BM_CheckMix(benchmark::State& state) {
    std::vector<std::string> mix = nonModules();
    for (const std::string& m : modules()) mix.push_back(m);
    checkAll(state, mix);
}
BENCHMARK(BM_CheckMix)->Unit(benchmark::kMicrosecond);

} // namespace
