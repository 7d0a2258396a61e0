/* Resampling by generated code: for each period in use, a straight run of
   instructions that reads the sample at the offsets that period steps through,
   one instruction (the first voice) or two (the second) per output byte. */
#ifndef OKT_RESAMPLER_H
#define OKT_RESAMPLER_H

#include <stdint.h>

#include "mixer.h"

/* Output bytes a block covers: the most a tick mixes. */
#define OKT_BLOCK_OUTPUTS OKT_MIX_MAX_TICK

/* Forgets every generated block. */
void okt_resampler_reset(void);
/* Writes (add = 0) or adds (add = 1) `count` (1..OKT_BLOCK_OUTPUTS) output bytes
   read from `source` at the period's step, the first at source[0]. */
void okt_resample(uint16_t period, uint32_t step, int add, const int8_t *source, int8_t *out, uint32_t count);

/* Enters a generated block (mix.S): A0 = base, A1 = out. */
void okt_run_block(const uint16_t *entry, const int8_t *base, int8_t *out);

#endif
