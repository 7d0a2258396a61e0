// Speed of the audio path: resampling and mixing four busy channels (period
// 214 at the default tick) for one minute of 48000 Hz stereo output. The
// "x_realtime" counter is the multiple of real time.
#include <benchmark/benchmark.h>

#include <cmath>

#include "audio/amiga_output.h"
#include "audio/mixer.h"
#include "audio/paula_steps.h"
#include "session/render.h"
#include "audio/resample.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "session/song.h"

namespace varno {
namespace {

constexpr int32_t kFrames = 960;                 // default tick at 48000 Hz
constexpr int32_t kRaw = 5 * 14188 / 214;        // 331 raw samples per tick
constexpr int kTicksPerMinute = 48000 * 60 / kFrames;

void fillChannels(Song& song) {
    for (int c = 0; c < 4; ++c)
        for (int s = 0; s < 3; ++s) {
            for (int32_t i = 0; i < kRaw; ++i)
                song.channelBuffers[c][s][size_t(i)] = float(std::sin(0.05 * (i + 100 * s) * (c + 1))) * 0.45f;
            song.channelCounts[c][s] = kRaw;
        }
}

// The Amiga 500 model on the same channels: steps for every raw sample (all of
// them change), the mix, and the LED filter (switched in) on the mixed output.
void amigaMinute(benchmark::State& state, int32_t model) {
    Song song;
    fillChannels(song);
    pluginSettings.surround = 1;
    song.updatePan(pluginSettings);
    song.slotLedFilter[1] = 1;
    float* out = song.outputBuffers[0].get();
    for (auto _ : state) {
        for (int tick = 0; tick < kTicksPerMinute; ++tick) {
            renderAmigaChannels(song, model, kFrames);
            mixSurround(song, out, kFrames);
            filterAmigaOutput(song, out, kFrames);
            benchmark::DoNotOptimize(out[0]);
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void minuteOfAudio(benchmark::State& state, bool sinc, bool surround) {
    Song song;
    fillChannels(song);
    pluginSettings.surround = surround;
    song.updatePan(pluginSettings);
    float* out = song.outputBuffers[0].get();
    for (auto _ : state) {
        for (int tick = 0; tick < kTicksPerMinute; ++tick) {
            for (int c = 0; c < 4; ++c) {
                const float* prev = song.channelBuffers[c][0].get();
                const float* cur = song.channelBuffers[c][1].get();
                const float* next = song.channelBuffers[c][2].get();
                if (sinc) resampleSinc(*song.sinc, kRaw, kRaw, cur, kFrames, song.resampledBuffers[c].get(), prev, next, kRaw);
                else resampleNearest(cur, kRaw, song.resampledBuffers[c].get(), kFrames);
            }
            if (surround) mixSurround(song, out, kFrames);
            else mixStereo(song, out, kFrames);
            benchmark::DoNotOptimize(out[0]);
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

// A period that changes every tick (a slide) gives each tick a new block
// length, so no tick can reuse the tap weights of an earlier one.
void slidingMinute(benchmark::State& state) {
    Song song;
    fillChannels(song);
    pluginSettings.surround = 1;
    song.updatePan(pluginSettings);
    float* out = song.outputBuffers[0].get();
    for (auto _ : state) {
        for (int tick = 0; tick < kTicksPerMinute; ++tick) {
            for (int c = 0; c < 4; ++c) {
                const int32_t raw = 300 + (4 * tick + c) % 64; // every channel slides on its own
                resampleSinc(*song.sinc, raw, raw, song.channelBuffers[c][1].get(), kFrames, song.resampledBuffers[c].get(),
                             song.channelBuffers[c][0].get(), song.channelBuffers[c][2].get(), raw);
            }
            mixSurround(song, out, kFrames);
            benchmark::DoNotOptimize(out[0]);
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

// The whole render path of a machine and its song: Paula DMA of four channels
// looping 16 KB blocks at period 214, resampling, mixing and the output halves,
// served in host-sized requests. No tick routine runs.
void renderedMinute(benchmark::State& state, int32_t interpolation, bool surround) {
    pluginSettings.interpolation = interpolation;
    pluginSettings.surround = surround;
    pluginSettings.default_playtime = 0;
    Song song;
    auto machine = createMachine(nullptr, "");
    AmigaMachine& m = *machine;
    attachSong(m, song);
    CustomChips& chips = *m.customChips;
    for (int c = 0; c < 4; ++c) {
        const uint32_t block = 0x40000 + 0x4000 * uint32_t(c);
        for (uint32_t w = 0; w < 0x2000; ++w)
            m.mainMemory->writeWord(block + 2 * w, uint16_t(int(std::sin(0.01 * w * (c + 1)) * 100) & 0xFFFF));
        PaulaChannel& ch = chips.paulaChannels[c];
        ch.location = block;
        writeAudLen(ch, 0x2000);
        writeAudPer(ch, 214);
        writeAudVol(ch, 64);
    }
    writeDmacon(chips, 0x820F);
    runTick(m, song, 0);
    runTick(m, song, 1);
    constexpr int32_t kRequest = 4096;
    float out[kRequest];
    for (auto _ : state) {
        for (int64_t done = 0; done < 2 * 48000 * 60; done += kRequest) {
            if (render(m, song, out, kRequest) != kRequest) state.SkipWithError("song ended");
            song.silentSamples = 0;
        }
        benchmark::DoNotOptimize(out[0]);
    }
    state.counters["x_realtime"] = benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void NoneStereo(benchmark::State& state) { minuteOfAudio(state, false, false); }
void RenderNone(benchmark::State& state) { renderedMinute(state, 0, false); }
void RenderSincSurround(benchmark::State& state) { renderedMinute(state, 1, true); }
void RenderA500Surround(benchmark::State& state) { renderedMinute(state, kInterpolationA500, true); }
void A500Surround(benchmark::State& state) { amigaMinute(state, kInterpolationA500); }
void A1200Surround(benchmark::State& state) { amigaMinute(state, kInterpolationA1200); }
void SincSurroundSlidingPeriod(benchmark::State& state) { slidingMinute(state); }
void SincSurround(benchmark::State& state) { minuteOfAudio(state, true, true); }
BENCHMARK(NoneStereo)->Unit(benchmark::kMillisecond);
BENCHMARK(SincSurround)->Unit(benchmark::kMillisecond);
BENCHMARK(SincSurroundSlidingPeriod)->Unit(benchmark::kMillisecond);
BENCHMARK(A500Surround)->Unit(benchmark::kMillisecond);
BENCHMARK(A1200Surround)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderNone)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderSincSurround)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderA500Surround)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace varno
