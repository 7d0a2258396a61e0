// Opening and playing the shared songs (the ProTracker ones, and one or two of
// each other format) through the library's module class, as a front end does: opening from memory (a machine of its own, the
// player archive loaded, the module recognised and started; lengths not
// measured), measuring every subsong's length, and rendering a minute of
// 48000 Hz stereo in the music player's tenth-of-a-second requests. The
// "x_realtime" counter is the multiple of real time.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/portable_host.h"
#include "library/module.h"

namespace varno {
namespace {

// The first five are rendered as well.
const char* const kSongs[] = {"area4-game.mod",      "gardien-go.mod",          "high-score.mod",
                              "over-theme.mod",      "tecnoballz.mod",          "fc14/Classic.fc4",
                              "octamed/wizardry.med", "oktalyzer/grundlagen.okta", "ahx/451__ACES_HIGH.ahx",
                              "hvl/sunspots.hvl"};
constexpr int kLastSong = int(std::size(kSongs)) - 1;

std::vector<uint8_t> songBytes(int index) {
    const auto path = std::filesystem::path(VARNO_SHARED_DIR) / "modules" / kSongs[index];
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

OpenOptions options(Interpolation interpolation, bool measureLengths) {
    OpenOptions o;
    o.playersPath = std::string(VARNO_BIN_DIR) + "/xmp-varno.dat";
    o.host = &PortableHost::instance().tables();
    o.settings.interpolation = interpolation;
    o.settings.playTimeSeconds = 0;
    o.settings.useSongEnd = false;
    o.measureLengths = measureLengths;
    return o;
}

void openFromMemory(benchmark::State& state) {
    const std::vector<uint8_t> bytes = songBytes(int(state.range(0)));
    const OpenOptions o = options(Interpolation::none, false);
    for (auto _ : state) {
        Module module(bytes.data(), bytes.size(), kSongs[state.range(0)], o);
        benchmark::DoNotOptimize(module.subsongCount());
    }
    state.SetLabel(kSongs[state.range(0)]);
}

void measureLengths(benchmark::State& state) {
    const std::vector<uint8_t> bytes = songBytes(int(state.range(0)));
    OpenOptions o = options(Interpolation::none, true);
    o.settings.playTimeSeconds = 180;
    o.settings.useSongEnd = true;
    double seconds = 0;
    for (auto _ : state) {
        Module module(bytes.data(), bytes.size(), kSongs[state.range(0)], o);
        for (double length : module.subsongLengths()) seconds += length;
    }
    state.counters["x_realtime"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
    state.SetLabel(kSongs[state.range(0)]);
}

void renderMinute(benchmark::State& state, Interpolation interpolation) {
    const std::vector<uint8_t> bytes = songBytes(int(state.range(0)));
    Module module(bytes.data(), bytes.size(), kSongs[state.range(0)], options(interpolation, false));
    std::vector<float> buffer(2 * 4800);
    for (auto _ : state) {
        module.seek(0);
        for (int part = 0; part < 600; ++part) benchmark::DoNotOptimize(module.render(buffer.data(), 4800));
    }
    state.counters["x_realtime"] = benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(kSongs[state.range(0)]);
}

BENCHMARK(openFromMemory)->DenseRange(0, kLastSong)->Unit(benchmark::kMillisecond);
BENCHMARK(measureLengths)->DenseRange(0, kLastSong)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(renderMinute, none, Interpolation::none)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(renderMinute, sinc, Interpolation::sinc)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace varno
