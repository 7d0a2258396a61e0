/* Resampling by generated code: for each of the 36 notes' periods, a straight
   run of instructions that reads the sample at the offsets that period steps
   through, one instruction (the first voice) or two (the second) per output
   byte. They are generated when a song with mixed channels is set up, so that
   no tick pays for them; periods between the notes (portamento) take a loop. */
#ifndef OKT_RESAMPLER_H
#define OKT_RESAMPLER_H

#include <stdint.h>

#include "mixer.h"
#include "oktalyzer.h"

/* Output bytes a block covers: the most a tick mixes. */
#define OKT_BLOCK_OUTPUTS OKT_MIX_MAX_TICK
struct okt_block {
    uint16_t offsets[OKT_BLOCK_OUTPUTS + 1];
    uint16_t code[3 * OKT_BLOCK_OUTPUTS + 1];
};

/* [add][period - OKT_PERIOD_MIN]: the block of a note's period for the first
   (add = 0) or second voice; null for the periods between the notes. */
extern const struct okt_block *okt_block_of[2][OKT_PERIOD_MAX - OKT_PERIOD_MIN + 1];

/* Generates the blocks (steps: the 16.16 step of each period from OKT_PERIOD_MIN). */
void okt_resampler_init(const uint32_t *steps);

/* Enters a generated block: it reads through A0 = base, writes through A1 = out
   and uses D0. */
static inline void okt_run_block(const uint16_t *entry, const int8_t *base, int8_t *out)
{
    register const int8_t *a0 __asm__("a0") = base;
    register int8_t *a1 __asm__("a1") = out;
    __asm__ volatile("jsr (%2)" : "+a"(a0), "+a"(a1) : "a"(entry) : "d0", "memory", "cc");
}

/* Writes `count` zero bytes (mix.S). */
void okt_clear(int8_t *out, uint32_t count);

/* The loops for other periods (mix.S): position and step are fraction:whole
   (fraction in the high word); whole positions stay below 32768. */
uint32_t okt_mix_store(const int8_t *source, uint32_t position, uint32_t step, int8_t *out, uint32_t count);
uint32_t okt_mix_add(const int8_t *source, uint32_t position, uint32_t step, int8_t *out, uint32_t count);

/* Writes (add = 0) or adds (add = 1) `count` (1..OKT_BLOCK_OUTPUTS) output bytes
   read from `source` at the period's step (16.16), the first at source[0] plus
   the fraction `fraction`. A block run enters its block `count` instructions
   before the end, its base moved back by that entry's offset, and drops the
   fraction (a read at most a byte early). Inline: it runs for every voice every tick. */
static inline void okt_resample(uint16_t period, uint32_t step, uint16_t fraction, int add, const int8_t *source,
                                int8_t *out, uint32_t count)
{
    const struct okt_block *b = period <= OKT_PERIOD_MAX ? okt_block_of[add][period - OKT_PERIOD_MIN] : 0;
    if (b) {
        const unsigned first = OKT_BLOCK_OUTPUTS - count;
        okt_run_block(b->code + 2 * first + (add ? first : 0), source - b->offsets[first], out);
    } else {
        const uint32_t position = (uint32_t)fraction << 16, swapped = step << 16 | step >> 16;
        if (add) okt_mix_add(source, position, swapped, out, count);
        else okt_mix_store(source, position, swapped, out, count);
    }
}

#endif
