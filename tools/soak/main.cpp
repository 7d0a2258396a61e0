// varno-soak [--cycles N] [--players FILE] [SONG...]
// Cycles through the songs (all under ../shared/modules by default): open through
// the plugin's interface table as the music player does, render one second of
// 48000 Hz stereo, close. Prints the peak resident memory after the first 100
// cycles, every 1000 cycles, and at the end; exits 1 when it grew by more than 1 MiB in between, or
// when a song that played once fails later.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/plugin_host.h"
#include "resident_memory.h"

namespace {

using varno::XmpFormat;
using varno::XmpInterface;
using varno::cli::HostFileHandle;

constexpr uint32_t kRate = 48000;
constexpr int kWarmUpCycles = 100;
constexpr long kProgressCycles = 1000; // a line now and then, so a long run shows how far it got
constexpr uint64_t kAllowedGrowthKiB = 1024;

std::vector<std::string> sharedSongs() {
    std::vector<std::string> songs;
    const std::filesystem::path root = std::filesystem::path(VARNO_SHARED_DIR) / "modules";
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file() && it->path().filename() != "README.md") songs.push_back(it->path().string());
    }
    std::sort(songs.begin(), songs.end());
    return songs;
}

// One cycle: open, one second, close. False with the cause when the song would not open.
bool cycle(const XmpInterface& plugin, const std::string& path, std::vector<float>& buffer, std::string& cause) {
    XmpFormat format{kRate, 2, 0};
    plugin.setFormat(&format);
    HostFileHandle file;
    if (!varno::cli::openModule(plugin, path, file, cause)) return false;
    uint32_t done = 0;
    while (done < kRate) {
        const uint32_t want = std::min<uint32_t>(kRate - done, uint32_t(buffer.size() / 2));
        const uint32_t got = plugin.process(buffer.data(), want * 2) / 2;
        if (got == 0) break; // the song ended within the second
        done += got;
    }
    plugin.close();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    long cycles = 10000;
    std::string players;
    std::vector<std::string> songs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--cycles" && i + 1 < argc) cycles = std::stol(argv[++i]);
        else if (arg == "--players" && i + 1 < argc) players = argv[++i];
        else songs.push_back(arg);
    }
    if (songs.empty()) songs = sharedSongs();
    if (songs.empty() || cycles <= kWarmUpCycles) {
        std::fprintf(stderr, "varno-soak: give more than %d cycles and at least one song (none under %s)\n",
                     kWarmUpCycles, VARNO_SHARED_DIR);
        return 2;
    }
    const XmpInterface* plugin = varno::cli::startPlugin(players, varno::cli::SettingOverrides{});
    if (!plugin) return 2;

    // Songs no player takes are left out once, with a line each.
    std::vector<float> buffer(8192);
    std::vector<std::string> playable;
    for (const std::string& song : songs) {
        std::string cause;
        if (cycle(*plugin, song, buffer, cause)) playable.push_back(song);
        else std::printf("left out %s: %s\n", song.c_str(), cause.c_str());
    }
    if (playable.empty()) return 2;
    std::printf("%zu songs, %ld cycles\n", playable.size(), cycles);

    const auto start = std::chrono::steady_clock::now();
    uint64_t warmPeak = 0;
    long failures = 0;
    for (long c = 0; c < cycles; ++c) {
        std::string cause;
        const std::string& song = playable[size_t(c) % playable.size()];
        if (!cycle(*plugin, song, buffer, cause)) {
            ++failures;
            std::printf("cycle %ld: %s: %s\n", c + 1, song.c_str(), cause.c_str());
        }
        if ((c + 1) % kProgressCycles == 0 && c + 1 < cycles) {
            std::printf("after %ld cycles: peak resident %llu KiB\n", c + 1,
                        (unsigned long long)varno::soak::peakResidentKiB());
            std::fflush(stdout);
        }
        if (c + 1 == kWarmUpCycles) {
            warmPeak = varno::soak::peakResidentKiB();
            std::printf("after %d cycles: peak resident %llu KiB (now %llu KiB)\n", kWarmUpCycles,
                        (unsigned long long)warmPeak, (unsigned long long)varno::soak::residentKiB());
            std::fflush(stdout);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const uint64_t endPeak = varno::soak::peakResidentKiB();
    const long long growth = (long long)endPeak - (long long)warmPeak;
    std::printf("after %ld cycles: peak resident %llu KiB (now %llu KiB), growth %lld KiB, %.1f s, %ld failures\n",
                cycles, (unsigned long long)endPeak, (unsigned long long)varno::soak::residentKiB(), growth, seconds,
                failures);
    varno::cli::stopPlugin();
    return growth > (long long)kAllowedGrowthKiB || failures ? 1 : 0;
}
