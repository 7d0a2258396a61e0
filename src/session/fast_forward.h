// Playing a subsong on without producing output, to learn where it ends.
#pragma once

namespace varno {

struct AmigaMachine;

// Runs the song tick by tick exactly as when playing (the player's tick
// routine, the timers, Paula's DMA and its interrupts) but without resampling
// or mixing, until rendering would stop (song-end signal, silence, play time)
// or maxSeconds of output time have passed. Silence is judged on the channels'
// own samples. True when the song ended; elapsedSeconds then says when.
bool fastForward(AmigaMachine& machine, double maxSeconds);

} // namespace varno
