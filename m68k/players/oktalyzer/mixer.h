/* The software mixer of the channels that carry two voices: every tick it
   resamples both voices into the channel's ring buffer, which Paula plays round
   and round at a fixed period, a tick ahead of where Paula reads. */
#ifndef OKT_MIXER_H
#define OKT_MIXER_H

#include <stdint.h>

/* Paula's period for the mixed buffers: 3546895 / 428 = 8287 Hz, note C-2. */
#define OKT_MIX_PERIOD 428
/* Colour clocks per tick: the player's tick is 14188 CIA ticks of five colour clocks. */
#define OKT_TICK_CLOCKS 70940UL
#define OKT_MIX_MAX_TICK (OKT_TICK_CLOCKS / OKT_MIX_PERIOD + 1)
/* Sixteen ticks' worth, even: the ring wraps within a tick seldom. */
#define OKT_RING_BYTES ((16 * OKT_MIX_MAX_TICK + 1) & ~1UL)

struct okt_mix_voice {
    const int8_t *data;   /* null when the voice is silent */
    uint32_t position;    /* bytes from data */
    uint16_t fraction;
    uint32_t end;         /* where the block playing ends */
    uint32_t loop_start;
    uint32_t loop_length; /* 0: the voice stops at end */
    uint16_t period;
};

/* Builds the step table and, for a song with mixed channels, the resampling
   code (once, when the module is set up). */
void okt_mixer_init(int any_mixed);
/* Silences the buffers; Paula starts on the mixed channels once the first tick
   is mixed, at once. From the second tick on, a tick's mixing sounds a tick later. */
void okt_mixer_start(const uint8_t mixed[4]);
/* Mixes one tick of every mixed channel from its two voices, pairs[c]. */
void okt_mixer_tick(struct okt_mix_voice *const pairs[4][2]);

#endif
