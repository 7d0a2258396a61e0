// Playing a subsong on without producing output: to learn where it ends, and to
// seek.
#pragma once

#include <chrono>
#include <cstdint>

namespace varno {

struct AmigaMachine;
struct Song;

// One tick exactly as the render loop plays it (the player's tick routine, the
// timers, Paula's DMA and its interrupts, the slots moving on, silence and song
// end), without resampling or mixing. Silence is judged on the channels' own
// samples. Returns the output frames the tick stands for.
int32_t skipTick(AmigaMachine& machine, Song& song);

// Skips ticks until rendering would stop (song-end signal, silence, play time),
// maxSeconds of output time have passed, or the host's clock reaches the
// deadline. True when the song ended; elapsedSeconds then says when.
bool fastForward(AmigaMachine& machine, Song& song, double maxSeconds,
                 std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

} // namespace varno
