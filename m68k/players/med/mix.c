/* Songs of 5 to 8 tracks: the 68000 mixes tracks n and n + 4 into a buffer that
   Paula's channel n plays at a fixed rate, as OctaMED's own 5-8 channel mode does.
   One buffer lasts one tick: its length in word pairs of samples follows the
   tick's timer, the leftover carried to the next tick, so that the buffers keep
   pace with the ticks exactly (the replay's timing, down to the delay between
   two tracks playing one sample, stays the song's own). Paula starts with half
   a buffer of silence: its block changes then fall half-way between two ticks, and
   the buffer a tick fills is never the one Paula is reading. The real 68000 mixes
   at this rate with time to spare for the replay. */
#include "mix.h"

#include "voice.h"

#include <varno/kit.h>

#define MIX_BUFFER_MAX 1092 /* the longest tick the CIA timer can count */

struct mix_voice {
    const int8_t *start; /* the block being played */
    uint32_t length;     /* its bytes */
    uint32_t index;      /* bytes played of it */
    uint16_t fraction;
    uint8_t active;
    const int8_t *repeat;
    uint32_t repeat_length;
};

static struct mix_voice voices[MED_MAX_TRACKS];
static int8_t buffers[MED_PAULA][2][MIX_BUFFER_MAX] __attribute__((aligned(2)));
static int8_t volume_table[65][256]; /* sample x volume / 128: two voices add up without overflow */
static int8_t silence[MIX_BUFFER_MAX] __attribute__((aligned(2)));
static unsigned buffer_samples, current;
static uint16_t timer;
static uint32_t carried; /* CIA ticks of the ticks so far not yet in a buffer */

void med_mix_init(void)
{
    unsigned v, s;
    for (v = 0; v <= 64; ++v)
        for (s = 0; s < 256; ++s) volume_table[v][s] = (int8_t)(((int)(int8_t)s * (int)v) >> 7);
}

uint16_t med_mix_timer(uint16_t wanted)
{
    const uint16_t longest = (MIX_BUFFER_MAX - 2) * MED_MIX_CIA_PER_SAMPLE, shortest = 16 * MED_MIX_CIA_PER_SAMPLE;
    timer = wanted > longest ? longest : wanted < shortest ? shortest : wanted;
    return timer;
}

/* This tick's buffer: the whole word pairs of samples the ticks so far hold. */
static void next_buffer_length(void)
{
    const uint32_t pair = 2 * MED_MIX_CIA_PER_SAMPLE;
    carried += timer;
    buffer_samples = (unsigned)(carried / pair) * 2;
    carried -= (uint32_t)buffer_samples * MED_MIX_CIA_PER_SAMPLE;
}

void med_mix_start(void)
{
    unsigned i;
    for (i = 0; i < MED_MAX_TRACKS; ++i) voices[i].active = 0;
    carried = 0;
    buffer_samples = (timer / (2 * MED_MIX_CIA_PER_SAMPLE)) * 2;
    for (i = 0; i < sizeof buffers; ++i) (&buffers[0][0][0])[i] = 0;
    current = 0;
    custom.dmacon = DMAF_AUDIO;
    for (i = 0; i < MED_PAULA; ++i) {
        custom.aud[i].ac_ptr = silence;
        custom.aud[i].ac_len = (uint16_t)(buffer_samples / 4 ? buffer_samples / 4 : 1);
        custom.aud[i].ac_per = MED_MIX_PERIOD;
        custom.aud[i].ac_vol = 64;
    }
    custom.dmacon = DMAF_SETCLR | DMAF_AUDIO;
    /* Whole buffers of silence until the first tick's: block changes stay half a
       tick away from the ticks whenever the first tick comes. */
    for (i = 0; i < MED_PAULA; ++i) custom.aud[i].ac_len = (uint16_t)(buffer_samples / 2);
}

/* The voice moves on to its repeat (or falls silent) at the end of its block. */
static void next_block(struct mix_voice *m)
{
    while (m->active && m->index >= m->length) {
        m->index -= m->length;
        if (m->repeat == (const int8_t *)med_silence || m->repeat_length < 2) {
            m->active = 0;
        } else {
            m->start = m->repeat;
            m->length = m->repeat_length;
        }
    }
}

/* Samples of output until the voice's block ends (at least 1), at most n. */
static unsigned samples_to_end(const struct mix_voice *m, unsigned n, uint32_t step)
{
    const uint32_t left = m->length - m->index;
    uint32_t count;
    if (left > (((uint32_t)n * step + m->fraction) >> 16) + 1) return n;
    count = ((left << 16) - m->fraction + step - 1) / step;
    return count == 0 ? 1 : count < n ? count : n;
}

/* The inner loops: the sample byte indexes the volume table, and the fraction's
   carry steps the position (add.w, addx.l). Four samples a round, then the rest
   one at a time. */
#define PUT_ONE                                                                                                        \
    "move.b (%[s],%[i].l),%[b]\n\t"                                                                                    \
    "move.b (%[t],%[b].w),(%[o])+\n\t"                                                                                 \
    "add.w %[sf],%[f]\n\t"                                                                                             \
    "addx.l %[si],%[i]\n\t"
#define ADD_ONE                                                                                                        \
    "move.b (%[s],%[i].l),%[b]\n\t"                                                                                    \
    "move.b (%[t],%[b].w),%[v]\n\t"                                                                                    \
    "add.b %[v],(%[o])+\n\t"                                                                                           \
    "add.w %[sf],%[f]\n\t"                                                                                             \
    "addx.l %[si],%[i]\n\t"

static void mix_samples(int8_t *out, const uint8_t *sample, const int8_t *table, unsigned count, uint32_t *index,
                        uint16_t *fraction, uint32_t step, int add)
{
    uint32_t i = 0, byte = 0, value = 0, whole = step >> 16;
    uint32_t rounds = (count >> 2) - 1, rest = (count & 3) - 1;
    uint16_t part = (uint16_t)step, f = *fraction;
#define OPERANDS                                                                                                       \
    : [o] "+a"(out), [i] "+d"(i), [f] "+d"(f), [b] "+d"(byte), [v] "+d"(value), [n] "+d"(rounds), [r] "+d"(rest)        \
    : [s] "a"(sample), [t] "a"(table), [sf] "d"(part), [si] "d"(whole)                                                 \
    : "cc", "memory"
    if (add)
        __asm__ volatile("tst.w %[n]\n\t"
                         "bmi.s 2f\n"
                         "1:\t" ADD_ONE ADD_ONE ADD_ONE ADD_ONE "dbf %[n],1b\n"
                         "2:\ttst.w %[r]\n\t"
                         "bmi.s 4f\n"
                         "3:\t" ADD_ONE "dbf %[r],3b\n"
                         "4:" OPERANDS);
    else
        __asm__ volatile("tst.w %[n]\n\t"
                         "bmi.s 2f\n"
                         "1:\t" PUT_ONE PUT_ONE PUT_ONE PUT_ONE "dbf %[n],1b\n"
                         "2:\ttst.w %[r]\n\t"
                         "bmi.s 4f\n"
                         "3:\t" PUT_ONE "dbf %[r],3b\n"
                         "4:" OPERANDS);
#undef OPERANDS
    *index += i;
    *fraction = f;
}

enum mix_mode { ADVANCE, PUT, ADD };

/* Moves the voice on by n samples, putting them into out or adding them to it,
   or (ADVANCE, a voice not heard this tick) only keeping its place. A put voice
   that ends early leaves silence after it. */
static void mix_voice(int8_t *out, unsigned n, struct mix_voice *m, unsigned volume, uint32_t step, enum mix_mode mode)
{
    const int8_t *table = volume_table[volume];
    while (n) {
        unsigned count, k;
        if (!m->active || step == 0) {
            if (mode == PUT)
                for (k = 0; k < n; ++k) out[k] = 0;
            return;
        }
        count = samples_to_end(m, n, step);
        if (mode == ADVANCE) {
            const uint32_t position = m->fraction + count * step;
            m->index += position >> 16;
            m->fraction = (uint16_t)position;
        } else {
            mix_samples(out, (const uint8_t *)m->start + m->index, table, count, &m->index, &m->fraction, step,
                        mode == ADD);
        }
        next_block(m);
        out += count;
        n -= count;
    }
}

/* Voices that started a note this tick take up their new block; a synth's next
   waveform waits for the end of the one playing. */
static void take_voice(unsigned t)
{
    const struct med_voice *v = &med_voices[t];
    struct mix_voice *m = &voices[t];
    if (v->trigger) {
        m->start = (const int8_t *)v->block;
        m->length = 2UL * v->block_words;
        m->index = 0;
        m->fraction = 0;
        m->active = v->block != (const uint8_t *)med_silence;
    }
    if (v->trigger || v->new_block) {
        m->repeat = (const int8_t *)v->repeat;
        m->repeat_length = 2UL * v->repeat_words;
        if (!m->active && v->new_block && m->repeat != (const int8_t *)med_silence) {
            m->start = m->repeat;
            m->length = m->repeat_length;
            m->index = 0;
            m->active = 1;
        }
    }
}

static int heard(const struct mix_voice *m, unsigned volume, uint32_t step) { return m->active && volume && step; }

/* Each channel's buffer for this tick: its two tracks mixed, the one heard alone
   put straight in, or the silent buffer when neither is heard. */
void med_mix(unsigned tracks)
{
    unsigned c;
    current ^= 1;
    next_buffer_length();
    for (c = 0; c < MED_PAULA; ++c) {
        int8_t *out = buffers[c][current];
        const int8_t *played = silence;
        unsigned t;
        for (t = c; t < tracks && t < MED_MAX_TRACKS; t += MED_PAULA) {
            const struct med_voice *v = &med_voices[t];
            const unsigned volume = v->out_volume > 64 ? 64 : v->out_volume;
            struct mix_voice *m = &voices[t];
            uint32_t step;
            take_voice(t);
            step = v->out_period ? ((uint32_t)MED_MIX_PERIOD << 16) / v->out_period : 0;
            if (!heard(m, volume, step)) {
                mix_voice(out, buffer_samples, m, 0, step, ADVANCE);
            } else {
                mix_voice(out, buffer_samples, m, volume, step, played == silence ? PUT : ADD);
                played = out;
            }
        }
        custom.aud[c].ac_ptr = played;
        custom.aud[c].ac_len = (uint16_t)(buffer_samples / 2);
    }
}
