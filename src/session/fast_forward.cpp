#include "session/fast_forward.h"

#include "session/render.h"
#include "machine/amiga_machine.h"
#include "session/frame_driver.h"

namespace varno {

bool fastForward(AmigaMachine& m, double maxSeconds) {
    constexpr int kSlot = 2;
    // Counted apart from elapsedSeconds, which stands still without a tick routine.
    double played = 0;
    while (played < maxSeconds) {
        if (endCheck(m)) return true;
        runTick(m, kSlot);
        bool sound = false;
        for (int c = 0; c < 4 && !sound; ++c) sound = anySound(m.channelBuffers[c][kSlot].get(), m.channelCounts[c][kSlot]);
        noteSilence(m, sound, m.slotTickSamples[kSlot]);
        played += double(m.slotTickSamples[kSlot]) / double(m.sampleRate);
    }
    return endCheck(m);
}

} // namespace varno
