#include "session/seek.h"

#include <algorithm>

#include "machine/amiga_machine.h"
#include "session/song.h"
#include "session/fast_forward.h"
#include "session/frame_driver.h"
#include "session/render.h"

namespace varno {

namespace {

// Rendered and thrown away at the end of a seek: enough for the surround delay
// and the interpolation's context to hold what playing would have left there.
int64_t renderedStretch(const Song& song) { return 2 * int64_t(song.frameSamples) + 2 * song.slotTickSamples[1]; }

// Renders and drops frames; returns how many the song still had.
uint64_t discardFrames(AmigaMachine& m, Song& song, uint64_t frames) {
    static float scratch[kRenderPartValues];
    const uint32_t channels = song.outputChannels == 1 ? 1 : 2;
    uint64_t done = 0;
    while (done < frames) {
        const int32_t want = int32_t(std::min<uint64_t>(frames - done, kRenderPartValues / channels) * channels);
        const int32_t got = render(m, song, scratch, want);
        done += uint64_t(got) / channels;
        if (got < want) break;
    }
    return done;
}

} // namespace

uint64_t seekFrames(AmigaMachine& m, Song& song, uint64_t position, uint64_t target) {
    if (target < position) {
        startSubsong(m, song, -1, false);
        position = 0;
    }
    const uint32_t channels = song.outputChannels == 1 ? 1 : 2;
    const uint64_t buffered = uint64_t(song.outputFill[song.outputSelect]) / channels;
    if (target - position > buffered + uint64_t(renderedStretch(song))) {
        // Frames mixed ahead are dropped: the song now stands at a tick boundary.
        position += buffered;
        song.outputFill[0] = song.outputFill[1] = 0;
        while (int64_t(target - position) - song.slotTickSamples[1] >= renderedStretch(song)) {
            if (endCheck(m, song)) return position;
            position += uint64_t(skipTick(m, song));
        }
    }
    return position + discardFrames(m, song, target - position);
}

} // namespace varno
