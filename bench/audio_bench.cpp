// Speed of the audio path: resampling and mixing four busy channels (period
// 214 at the default tick) for one minute of 48000 Hz stereo output. The
// "x_realtime" counter is the multiple of real time.
#include <benchmark/benchmark.h>

#include <cmath>

#include "audio/mixer.h"
#include "audio/resample.h"
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

void NoneStereo(benchmark::State& state) { minuteOfAudio(state, false, false); }
void SincSurroundSlidingPeriod(benchmark::State& state) { slidingMinute(state); }
void SincSurround(benchmark::State& state) { minuteOfAudio(state, true, true); }
BENCHMARK(NoneStereo)->Unit(benchmark::kMillisecond);
BENCHMARK(SincSurround)->Unit(benchmark::kMillisecond);
BENCHMARK(SincSurroundSlidingPeriod)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace varno
