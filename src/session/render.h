// The render loop: ticks on demand, resampling, mixing, and the output double
// buffer from which the host's requests are served.
#pragma once

#include <cstdint>

#include "audio/audio_path.h" // kRenderPartValues

namespace varno {

struct AmigaMachine;
struct Song;

// Runs one player tick and renders the four channels' raw samples into the
// given channel slot (0, 1 or 2). A faulted tick writes nothing, except that
// slot 2 then repeats slot 1.
void runTick(AmigaMachine& machine, Song& song, int slot);

// The same tick into slot 2 without its samples: the channels' DMA, block ends
// and audio interrupts advance as runTick advances them, and the slot records
// only whether a sample with volume * |sample| >= loudness would have played.
void runSilentTick(AmigaMachine& machine, Song& song, int32_t loudness);

// After a tick has been heard: the slots move on by one.
void shiftSlots(AudioPath& path);

// Fills out with count interleaved values; returns count, or fewer (down to 0)
// once the song has ended. Any count is accepted: large requests are served
// in parts that each fit one output half.
int32_t render(AmigaMachine& machine, Song& song, float* out, int32_t count);

} // namespace varno
