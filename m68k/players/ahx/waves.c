/* The waveforms, built when the player starts as the AHX replay builds them:
   triangles and sawtooths of 4 to 128 samples, squares of 32 pulse widths, white
   noise, and each of those through 31 low-pass and 31 high-pass filters. The
   filter is a state-variable one in 16.16 fixed point; its multiplications are
   16 x 16 bits, which the 68000 does in one instruction. */
#include "ahx.h"

int8_t ahx_waves[AHX_WAVES_SIZE] __attribute__((aligned(4)));
uint8_t ahx_filter_built[AHX_FILTERS + 1];

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

static int32_t clip(int32_t x)
{
    const int32_t whole = x >> 16;
    if (whole > 127) return 127L << 16;
    if (whole < -128) return -(128L << 16);
    return x;
}

/* x in 16.16 times a frequency in 8.8: the 68000's MULS.W (the compiler would
   call a 32-bit multiply). */
static inline int32_t scale(int32_t x, int16_t frequency)
{
#ifdef __mc68000__
    int32_t product = (int16_t)(x >> 8);
    __asm__("muls.w %1,%0" : "+d"(product) : "d"(frequency));
    return product;
#else
    return (int32_t)(int16_t)(x >> 8) * frequency;
#endif
}

/* The waveforms of one block, in order, each filtered on its own. */
static const uint16_t lengths[] = {4, 8, 16, 32, 64, 128, 4, 8, 16, 32, 64, 128};
#define SQUARE_WAVES 32

static void filter_wave(const int8_t *in, unsigned length, int16_t frequency, int8_t *low_out, int8_t *high_out)
{
    int32_t mid = 0, low = 0, high;
    unsigned pass, i;
    /* Three passes settle the filter on the looping waveform; the fourth is kept. */
    for (pass = 0; pass < 4; ++pass) {
        for (i = 0; i < length; ++i) {
            high = clip(((int32_t)in[i] << 16) - mid - low);
            mid = clip(mid + scale(high, frequency));
            low = clip(low + scale(mid, frequency));
            if (pass == 3) {
                low_out[i] = (int8_t)(low >> 16);
                high_out[i] = (int8_t)(high >> 16);
            }
        }
    }
}

static void filter_block(unsigned setting)
{
    const int16_t frequency = (int16_t)(25 + 9 * setting);
    const int8_t *in = ahx_waves + UNFILTERED;
    int8_t *low = ahx_waves + setting * AHX_WAVE_BLOCK;
    int8_t *high = ahx_waves + HIGH_PASS + setting * AHX_WAVE_BLOCK;
    unsigned offset = 0, i;
    for (i = 0; i < sizeof lengths / sizeof lengths[0] + SQUARE_WAVES + 1; ++i) {
        const unsigned length = i < 12 ? lengths[i] : i < 12 + SQUARE_WAVES ? 128 : AHX_NOISE_LENGTH;
        filter_wave(in + offset, length, frequency, low + offset, high + offset);
        offset += length;
    }
}

void ahx_build_waves(const uint8_t wanted[AHX_FILTERS + 1])
{
    int8_t *block = ahx_waves + UNFILTERED;
    unsigned length, setting;
    if (!ahx_filter_built[32]) {
        for (length = 4; length <= 128; length <<= 1) triangle(block + AHX_WAVE_TRIANGLES + length - 4, length);
        for (length = 4; length <= 128; length <<= 1) sawtooth(block + AHX_WAVE_SAWTOOTHS + length - 4, length);
        squares(block + AHX_WAVE_SQUARES);
        noise(block + AHX_WAVE_NOISE, AHX_NOISE_LENGTH);
        ahx_filter_built[32] = 1;
    }
    /* One run of the filter gives both the low-pass setting n and the high-pass
       setting 32 + n. */
    for (setting = 1; setting <= 31; ++setting) {
        if (!(wanted[setting] || wanted[32 + setting]) || (ahx_filter_built[setting] && ahx_filter_built[32 + setting]))
            continue;
        filter_block(setting - 1);
        ahx_filter_built[setting] = ahx_filter_built[32 + setting] = 1;
    }
}
