// Moving within the subsong playing.
#pragma once

#include <cstdint>

namespace varno {

struct AmigaMachine;
struct Song;

// Moves the subsong from output frame `position` (frames handed out since it
// started) to frame `target`: backwards by starting it again, forwards by
// skipping whole ticks without output and rendering the last stretch as when
// playing, so what follows is what an uninterrupted render gives from there.
// Returns the frame reached: below target when the song ended first.
uint64_t seekFrames(AmigaMachine& machine, Song& song, uint64_t position, uint64_t target);

} // namespace varno
