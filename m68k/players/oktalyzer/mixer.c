/* The mixed channels' buffers. Paula plays each channel's ring buffer as one
   endlessly repeated block at OKT_MIX_PERIOD, so it reads exactly
   OKT_TICK_CLOCKS / OKT_MIX_PERIOD bytes per tick (the tick timer and Paula run
   from the same clock): the mixer writes the same amount each tick, carrying the
   fraction, one tick ahead of the read position (Paula starts reading the first
   tick's bytes as soon as they are mixed). Nothing of this depends on when within
   the tick the mixing runs. */
#include "mixer.h"

#include "oktalyzer.h"
#include "resampler.h"

#include <varno/kit.h>

#define PERIODS (OKT_PERIOD_MAX - OKT_PERIOD_MIN + 1)

/* Per period, the step through the sample per output byte, 16.16. */
static uint32_t steps[PERIODS];
static int8_t rings[OKT_CHANNELS][OKT_RING_BYTES] __attribute__((aligned(2)));
static uint32_t write_offset;
static uint32_t clock_remainder;
static uint8_t mixing[OKT_CHANNELS];
static uint8_t quiet_ticks[OKT_CHANNELS];
static uint16_t dma_to_start;

void okt_mixer_init(int any_mixed)
{
    unsigned p;
    for (p = 0; p < PERIODS; ++p) steps[p] = ((uint32_t)OKT_MIX_PERIOD << 16) / (p + OKT_PERIOD_MIN);
    if (any_mixed) okt_resampler_init(steps);
}

void okt_mixer_start(const uint8_t mixed[4])
{
    unsigned c;
    uint16_t on = 0;
    write_offset = 0;
    clock_remainder = 0;
    for (c = 0; c < OKT_CHANNELS; ++c) {
        mixing[c] = mixed[c];
        quiet_ticks[c] = 0;
        if (!mixed[c]) continue;
        __builtin_memset(rings[c], 0, OKT_RING_BYTES);
        custom.aud[c].ac_ptr = rings[c];
        custom.aud[c].ac_len = OKT_RING_BYTES / 2;
        custom.aud[c].ac_per = OKT_MIX_PERIOD;
        custom.aud[c].ac_vol = 64;
        on |= (uint16_t)(1 << c);
    }
    dma_to_start = on;
}

/* The 68000's 16 x 16 bit multiply: the compiler calls a 32-bit routine instead. */
static inline uint32_t multiply16(uint16_t a, uint16_t b)
{
    uint32_t product = a;
    __asm__("mulu.w %1,%0" : "+d"(product) : "dmi"(b));
    return product;
}

/* n * step for n up to a tick's bytes. */
static uint32_t times_step(uint32_t n, uint32_t step)
{
    return multiply16((uint16_t)n, (uint16_t)step) + (multiply16((uint16_t)n, (uint16_t)(step >> 16)) << 16);
}

/* Mixes `count` bytes of one voice into out: stored for the channel's first
   voice, added for its second. */
static inline __attribute__((always_inline)) void mix_voice(struct okt_mix_voice *v, int8_t *out, uint32_t count, int add)
{
    while (count) {
        uint16_t period;
        uint32_t step, n = count, total;
        if (!v->data) {
            if (!add) okt_clear(out, count);
            return;
        }
        period = v->period;
        /* Notes slid below the table have longer periods, seldom: divided out. */
        step = period <= OKT_PERIOD_MAX ? steps[period - OKT_PERIOD_MIN] : ((uint32_t)OKT_MIX_PERIOD << 16) / period;
        total = v->fraction + times_step(count, step);
        if ((total >> 16) >= v->end - v->position) {
            /* The block ends within: up to the first byte at or past its end. */
            const uint32_t left = v->end - v->position;
            n = ((left << 16) - v->fraction + step - 1) / step;
            total = v->fraction + times_step(n, step);
        }
        okt_resample(period, step, v->fraction, add, v->data + v->position, out, n);
        v->position += total >> 16;
        v->fraction = (uint16_t)total;
        out += n;
        count -= n;
        if (v->position >= v->end) {
            if (v->loop_length == 0) {
                v->data = 0;
            } else {
                uint32_t past = v->position - v->end;
                if (past >= v->loop_length) past %= v->loop_length;
                v->position = v->loop_start + past;
                v->end = v->loop_start + v->loop_length;
            }
        }
    }
}

/* The two kinds, each compiled with its own constants. */
static void store_voice(struct okt_mix_voice *v, int8_t *out, uint32_t count) { mix_voice(v, out, count, 0); }
static void add_voice(struct okt_mix_voice *v, int8_t *out, uint32_t count) { mix_voice(v, out, count, 1); }

void okt_mixer_tick(struct okt_mix_voice *const pairs[4][2])
{
    uint32_t count, first, c;
    clock_remainder += OKT_TICK_CLOCKS;
    count = clock_remainder / OKT_MIX_PERIOD;
    clock_remainder -= count * OKT_MIX_PERIOD;
    /* The ring wraps at most once within a tick's bytes. */
    first = OKT_RING_BYTES - write_offset;
    if (first > count) first = count;
    for (c = 0; c < OKT_CHANNELS; ++c) {
        struct okt_mix_voice *a = pairs[c][0], *b = pairs[c][1];
        if (!mixing[c]) continue;
        if (!a->data && !b->data) {
            /* Once the whole ring is silence, it stays so untouched. */
            if (quiet_ticks[c] > OKT_RING_BYTES / (OKT_MIX_MAX_TICK - 1)) continue;
            ++quiet_ticks[c];
        } else {
            quiet_ticks[c] = 0;
        }
        /* A playing voice stores, so that silence is written only where neither plays. */
        if (!a->data) {
            a = b;
            b = pairs[c][0];
        }
        store_voice(a, rings[c] + write_offset, first);
        add_voice(b, rings[c] + write_offset, first);
        if (count > first) {
            store_voice(a, rings[c], count - first);
            add_voice(b, rings[c], count - first);
        }
    }
    /* Paula starts after the first tick is mixed, reading it at once. */
    if (dma_to_start) {
        custom.dmacon = (uint16_t)(DMAF_SETCLR | dma_to_start);
        dma_to_start = 0;
    }
    write_offset += count;
    if (write_offset >= OKT_RING_BYTES) write_offset -= OKT_RING_BYTES;
}
