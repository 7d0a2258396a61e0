#include "session/fast_forward.h"

#include "machine/amiga_machine.h"
#include "session/frame_driver.h"
#include "session/render.h"

namespace varno {

int32_t skipTick(AmigaMachine& m) {
    runTick(m, 2);
    const int32_t frames = m.slotTickSamples[1];
    bool sound = false;
    for (int c = 0; c < 4 && !sound; ++c) sound = anySound(m.channelBuffers[c][1].get(), m.channelCounts[c][1]);
    noteSilence(m, sound, frames);
    shiftSlots(m);
    recordSongEnd(m);
    return frames;
}

bool fastForward(AmigaMachine& m, double maxSeconds, std::chrono::steady_clock::time_point deadline) {
    // Counted apart from elapsedSeconds, which stands still without a tick routine.
    const double maxFrames = maxSeconds * double(m.sampleRate);
    double frames = 0;
    for (uint32_t ticks = 0; frames < maxFrames; ++ticks) {
        if (endCheck(m)) return true;
        // The clock is asked now and then: it costs more than a tick of silence.
        if ((ticks & 63) == 63 && std::chrono::steady_clock::now() >= deadline) return false;
        frames += skipTick(m);
    }
    return endCheck(m);
}

} // namespace varno
