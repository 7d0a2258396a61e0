// Speed of the audio path: resampling and mixing four busy channels (period
// 214 at the default tick) for one minute of 48000 Hz stereo output. The
// "x_realtime" counter is the multiple of real time.
#include <benchmark/benchmark.h>

#include <cmath>

#include "audio/mixer.h"
#include "session/render.h"
#include "audio/resample.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"
#include "machine/settings.h"

namespace varno {
namespace {

constexpr int32_t kFrames = 960;                 // default tick at 48000 Hz
constexpr int32_t kRaw = 5 * 14188 / 214;        // 331 raw samples per tick
constexpr int kTicksPerMinute = 48000 * 60 / kFrames;

void fillChannels(AmigaMachine& m) {
    for (int c = 0; c < 4; ++c)
        for (int s = 0; s < 3; ++s) {
            for (int32_t i = 0; i < kRaw; ++i)
                m.channelBuffers[c][s][size_t(i)] = float(std::sin(0.05 * (i + 100 * s) * (c + 1))) * 0.45f;
            m.channelCounts[c][s] = kRaw;
        }
}

void minuteOfAudio(benchmark::State& state, bool sinc, bool surround) {
    AmigaMachine m;
    fillChannels(m);
    pluginSettings.surround = surround;
    m.updatePan();
    float* out = m.outputBuffers[0].get();
    for (auto _ : state) {
        for (int tick = 0; tick < kTicksPerMinute; ++tick) {
            for (int c = 0; c < 4; ++c) {
                const float* prev = m.channelBuffers[c][0].get();
                const float* cur = m.channelBuffers[c][1].get();
                const float* next = m.channelBuffers[c][2].get();
                if (sinc) resampleSinc(kRaw, kRaw, cur, kFrames, m.resampledBuffers[c].get(), prev, next, kRaw);
                else resampleNearest(cur, kRaw, m.resampledBuffers[c].get(), kFrames);
            }
            if (surround) mixSurround(m, out, kFrames);
            else mixStereo(m, out, kFrames);
            benchmark::DoNotOptimize(out[0]);
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

// A period that changes every tick (a slide) gives each tick a new block
// length, so no tick can reuse the tap weights of an earlier one.
void slidingMinute(benchmark::State& state) {
    AmigaMachine m;
    fillChannels(m);
    pluginSettings.surround = 1;
    m.updatePan();
    float* out = m.outputBuffers[0].get();
    for (auto _ : state) {
        for (int tick = 0; tick < kTicksPerMinute; ++tick) {
            for (int c = 0; c < 4; ++c) {
                const int32_t raw = 300 + (4 * tick + c) % 64; // every channel slides on its own
                resampleSinc(raw, raw, m.channelBuffers[c][1].get(), kFrames, m.resampledBuffers[c].get(),
                             m.channelBuffers[c][0].get(), m.channelBuffers[c][2].get(), raw);
            }
            mixSurround(m, out, kFrames);
            benchmark::DoNotOptimize(out[0]);
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

// The whole render path of a machine: Paula DMA of four channels looping
// 16 KB blocks at period 214, resampling, mixing and the output halves,
// served in host-sized requests. No tick routine runs.
void renderedMinute(benchmark::State& state, bool sinc, bool surround) {
    pluginSettings.interpolation = sinc;
    pluginSettings.surround = surround;
    pluginSettings.default_playtime = 0;
    auto machine = createMachine(nullptr, "");
    AmigaMachine& m = *machine;
    m.updatePan();
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
    runTick(m, 0);
    runTick(m, 1);
    constexpr int32_t kRequest = 4096;
    float out[kRequest];
    for (auto _ : state) {
        for (int64_t done = 0; done < 2 * 48000 * 60; done += kRequest) {
            if (render(m, out, kRequest) != kRequest) state.SkipWithError("song ended");
            m.silentSamples = 0;
        }
        benchmark::DoNotOptimize(out[0]);
    }
    state.counters["x_realtime"] = benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void NoneStereo(benchmark::State& state) { minuteOfAudio(state, false, false); }
void RenderNone(benchmark::State& state) { renderedMinute(state, false, false); }
void RenderSincSurround(benchmark::State& state) { renderedMinute(state, true, true); }
void SincSurroundSlidingPeriod(benchmark::State& state) { slidingMinute(state); }
void SincSurround(benchmark::State& state) { minuteOfAudio(state, true, true); }
BENCHMARK(NoneStereo)->Unit(benchmark::kMillisecond);
BENCHMARK(SincSurround)->Unit(benchmark::kMillisecond);
BENCHMARK(SincSurroundSlidingPeriod)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderNone)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderSincSurround)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace varno
