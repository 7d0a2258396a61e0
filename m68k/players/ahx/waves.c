/* The waveforms, built as the AHX replay builds them: triangles and sawtooths of
   4 to 128 samples, squares of 32 pulse widths, white noise (when the player
   starts), and each of those through 31 low-pass and 31 high-pass filters (each
   when a song first plays it, at the place the replay keeps it). The
   filter is a state-variable one in 16.16 fixed point; its multiplications are
   16 x 16 bits, which the 68000 does in one instruction. */
#include "ahx.h"

#include <string.h>

int8_t ahx_waves[AHX_WAVES_SIZE] __attribute__((aligned(4)));
/* Per low-pass setting 1..31 and waveform: built (with its high-pass twin). */
/* Each waveform of each setting once it has been asked for (and, if filtered,
   built): a voice asks every frame, and most asks find it here. */
static const int8_t *ready[AHX_FILTERS][AHX_WAVE_COUNT];

#define UNFILTERED (31 * AHX_WAVE_BLOCK)
#define HIGH_PASS (32 * AHX_WAVE_BLOCK)

static void triangle(int8_t *out, unsigned length)
{
    const unsigned quarter = length >> 2;
    const int step = 128 / (int)quarter;
    const int8_t *first_half;
    int value = 0;
    unsigned i;
    for (i = 0; i < quarter; ++i, value += step) *out++ = (int8_t)value;
    *out++ = 127;
    value = 128;
    for (i = 1; i < quarter; ++i) {
        value -= step;
        *out++ = (int8_t)value;
    }
    /* The second half mirrors the first below zero; its peak is -128. */
    first_half = out - 2 * quarter;
    for (i = 0; i < 2 * quarter; ++i) {
        const int8_t c = *first_half++;
        *out++ = (int8_t)(c == 127 ? -128 : -c);
    }
}

static void sawtooth(int8_t *out, unsigned length)
{
    const int step = 256 / (int)(length - 1);
    int value = -128;
    unsigned i;
    for (i = 0; i < length; ++i, value += step) *out++ = (int8_t)value;
}

static void squares(int8_t *out)
{
    unsigned width, i;
    for (width = 1; width <= 32; ++width) {
        for (i = 0; i < (64 - width) * 2; ++i) *out++ = -128;
        for (i = 0; i < width * 2; ++i) *out++ = 127;
    }
}

/* A shift register seeded with "AYS!"; samples with bit 8 set are pushed to the
   rails, which gives the noise its hard edge. */
static void noise(int8_t *out, unsigned length)
{
    uint32_t ays = 0x41595321UL;
    while (length--) {
        uint16_t ax, bx;
        int8_t sample = (int8_t)ays;
        if (ays & 0x100) sample = (int16_t)ays < 0 ? -128 : 127;
        *out++ = sample;
        ays = ays >> 5 | ays << 27;
        ays = (ays & 0xFFFFFF00UL) | ((ays & 0xFF) ^ 0x9A);
        bx = (uint16_t)ays;
        ays = ays << 2 | ays >> 30;
        ax = (uint16_t)ays;
        bx = (uint16_t)(bx + ax);
        ax ^= bx;
        ays = (ays & 0xFFFF0000UL) | ax;
        ays = ays >> 3 | ays << 29;
    }
}

#ifdef __mc68000__
/* One sample through the filter, as the C below but in about half the
   instructions: the start builds every filtered waveform a song may need. A value
   is clipped when its whole part (the high word) leaves -128..127. */
static inline void filter_step(int8_t sample, int16_t frequency, int32_t *mid_, int32_t *low_, int32_t *high_)
{
    int32_t mid = *mid_, low = *low_, high = sample, t;
    __asm__("ext.w %[h]\n\t"
            "swap %[h]\n\t"
            "clr.w %[h]\n\t"
            "sub.l %[m],%[h]\n\t"
            "sub.l %[l],%[h]\n\t"
            "cmp.l #8388607,%[h]\n\t"
            "bgt.s 1f\n\t"
            "cmp.l #-8388608,%[h]\n\t"
            "bge.s 2f\n\t"
            "move.l #-8388608,%[h]\n\t"
            "bra.s 2f\n"
            "1:\tmove.l #8323072,%[h]\n"
            "2:\tmove.l %[h],%[t]\n\t"
            "asr.l #8,%[t]\n\t"
            "muls.w %[f],%[t]\n\t"
            "add.l %[t],%[m]\n\t"
            "cmp.l #8388607,%[m]\n\t"
            "bgt.s 3f\n\t"
            "cmp.l #-8388608,%[m]\n\t"
            "bge.s 4f\n\t"
            "move.l #-8388608,%[m]\n\t"
            "bra.s 4f\n"
            "3:\tmove.l #8323072,%[m]\n"
            "4:\tmove.l %[m],%[t]\n\t"
            "asr.l #8,%[t]\n\t"
            "muls.w %[f],%[t]\n\t"
            "add.l %[t],%[l]\n\t"
            "cmp.l #8388607,%[l]\n\t"
            "bgt.s 5f\n\t"
            "cmp.l #-8388608,%[l]\n\t"
            "bge.s 6f\n\t"
            "move.l #-8388608,%[l]\n\t"
            "bra.s 6f\n"
            "5:\tmove.l #8323072,%[l]\n"
            "6:"
            : [m] "+d"(mid), [l] "+d"(low), [h] "+d"(high), [t] "=&d"(t)
            : [f] "d"(frequency)
            : "cc");
    *mid_ = mid;
    *low_ = low;
    *high_ = high;
}
#else
static int32_t clip(int32_t x)
{
    const int32_t whole = x >> 16;
    if (whole > 127) return 127L << 16;
    if (whole < -128) return -(128L << 16);
    return x;
}

/* x in 16.16 times a frequency in 8.8 (the 68000's MULS.W). */
static int32_t scale(int32_t x, int16_t frequency) { return (int32_t)(int16_t)(x >> 8) * frequency; }

static inline void filter_step(int8_t sample, int16_t frequency, int32_t *mid, int32_t *low, int32_t *high)
{
    *high = clip(((int32_t)sample << 16) - *mid - *low);
    *mid = clip(*mid + scale(*high, frequency));
    *low = clip(*low + scale(*mid, frequency));
}
#endif

static void filter_wave(const int8_t *in, unsigned length, int16_t frequency, int8_t *low_out, int8_t *high_out)
{
    int32_t mid = 0, low = 0, high = 0;
    unsigned pass, i;
    /* Three passes settle the filter on the looping waveform; the fourth is kept.
       Each pass writes what it gives: a pass that ends in the state it began in
       would repeat itself, so its output is the fourth pass's already. And while
       the input repeats a sample that left the state as it was (a square's flat
       top, the settled filter), the output repeats too. */
    for (pass = 0; pass < 4; ++pass) {
        const int32_t start_mid = mid, start_low = low;
        int settled = 0;
        for (i = 0; i < length; ++i) {
            int32_t before_mid, before_low;
            if (settled && in[i] == in[i - 1]) {
                low_out[i] = low_out[i - 1];
                high_out[i] = high_out[i - 1];
                continue;
            }
            before_mid = mid;
            before_low = low;
            filter_step(in[i], frequency, &mid, &low, &high);
            low_out[i] = (int8_t)(low >> 16);
            high_out[i] = (int8_t)(high >> 16);
            settled = mid == before_mid && low == before_low;
        }
        if (mid == start_mid && low == start_low) break;
    }
}

/* Where each waveform of a block starts and how long it is: triangles and
   sawtooths of 4..128 samples, the 32 squares, the noise. */
static void wave_place(unsigned wave, unsigned *offset, unsigned *length)
{
    if (wave < 12) {
        const unsigned shape = wave / 6, size = wave % 6;
        *length = 4U << size;
        *offset = shape * AHX_WAVE_SAWTOOTHS + *length - 4;
    } else if (wave < AHX_WAVE_COUNT - 1) {
        *length = 128;
        *offset = AHX_WAVE_SQUARES + ((wave - 12) << 7);
    } else {
        *length = AHX_NOISE_LENGTH;
        *offset = AHX_WAVE_NOISE;
    }
}

void ahx_build_waves(void)
{
    int8_t *block = ahx_waves + UNFILTERED;
    unsigned length;
    for (length = 4; length <= 128; length <<= 1) triangle(block + AHX_WAVE_TRIANGLES + length - 4, length);
    for (length = 4; length <= 128; length <<= 1) sawtooth(block + AHX_WAVE_SAWTOOTHS + length - 4, length);
    squares(block + AHX_WAVE_SQUARES);
    noise(block + AHX_WAVE_NOISE, AHX_NOISE_LENGTH);
    memset(ready, 0, sizeof ready);
}

/* A song reaches few of the 31 x 45 filtered waveforms, so each is built when it
   is first played: building them all would take longer than a short song's whole
   replay. One run of the filter gives both the low-pass setting n and the
   high-pass setting 32 + n. */
const int8_t *ahx_wave(unsigned setting, unsigned wave)
{
    const int8_t **known = &ready[setting - 1][wave];
    unsigned pair, offset, length;
    if (*known) return *known;
    pair = setting < 32 ? setting : setting - 32;
    wave_place(wave, &offset, &length);
    if (setting != 32) {
        const unsigned block = (pair - 1) * AHX_WAVE_BLOCK + offset;
        filter_wave(ahx_waves + UNFILTERED + offset, length, (int16_t)(25 + 9 * (pair - 1)), ahx_waves + block,
                    ahx_waves + HIGH_PASS + block);
        ready[pair - 1][wave] = ahx_waves + block;
        ready[pair + 31][wave] = ahx_waves + HIGH_PASS + block;
    }
    *known = ahx_waves + (setting - 1) * AHX_WAVE_BLOCK + offset;
    return *known;
}
