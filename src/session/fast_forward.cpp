#include "session/fast_forward.h"

#include "machine/amiga_machine.h"
#include "session/song.h"
#include "session/frame_driver.h"
#include "session/render.h"

namespace varno {

namespace {

// A channel sample is worth volume / 64 * sample / 256; the smallest product of
// volume and |sample| that counts as sound.
constexpr int32_t kSoundLoudness = int32_t(kSilenceThreshold * 16384.0f) + 1;
static_assert(float(kSoundLoudness) / 16384.0f > kSilenceThreshold &&
              float(kSoundLoudness - 1) / 16384.0f <= kSilenceThreshold);

} // namespace

int32_t skipTick(AmigaMachine& m, Song& song) {
    runSilentTick(m, song, kSoundLoudness);
    const int32_t frames = song.slotTickSamples[1];
    // A tick rendered before (the first after a start or a render) has its samples.
    bool sound = song.slotSound[1] > 0;
    if (song.slotSound[1] < 0)
        for (int c = 0; c < 4 && !sound; ++c)
            sound = anySound(song.channelBuffers[c][1].get(), song.channelCounts[c][1]);
    noteSilence(m, song, sound, frames);
    shiftSlots(song);
    recordSongEnd(m, song);
    return frames;
}

bool fastForward(AmigaMachine& m, Song& song, double maxSeconds, std::chrono::steady_clock::time_point deadline) {
    // Counted apart from elapsedSeconds, which stands still without a tick routine.
    const double maxFrames = maxSeconds * double(song.sampleRate);
    double frames = 0;
    for (uint32_t ticks = 0; frames < maxFrames; ++ticks) {
        if (endCheck(m, song)) return true;
        // The clock is asked now and then: it costs more than a tick of silence.
        if ((ticks & 63) == 63 && std::chrono::steady_clock::now() >= deadline) return false;
        frames += skipTick(m, song);
    }
    return endCheck(m, song);
}

} // namespace varno
