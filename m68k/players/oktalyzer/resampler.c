/* The generated blocks: a block for a period and a voice slot holds, for output
   byte i, an instruction reading the sample at floor(i * step) bytes (a 16-bit
   displacement), stored or added into the output, and ends in rts. A run of n
   bytes enters the block n instructions before its end, its base moved back by
   that entry's offset. The fraction a run starts with is dropped (a read at most
   one byte early); the voice's position itself stays exact. Blocks are kept in a
   few slots found through a table by period, and replaced in turn. */
#include "resampler.h"

#include "oktalyzer.h"

#define SLOTS 24
#define NO_SLOT 0xFF
#define PERIODS (OKT_PERIOD_MAX - OKT_PERIOD_MIN + 1)

#define OP_MOVE_TO_OUT 0x12E8 /* move.b d16(a0),(a1)+ */
#define OP_MOVE_TO_D0 0x1028  /* move.b d16(a0),d0 */
#define OP_ADD_D0_OUT 0xD119  /* add.b d0,(a1)+ */
#define OP_RTS 0x4E75

struct block {
    uint16_t period; /* 0: empty */
    uint16_t add;
    uint16_t offsets[OKT_BLOCK_OUTPUTS + 1];
    uint16_t code[3 * OKT_BLOCK_OUTPUTS + 1];
};

static struct block blocks[SLOTS];
static uint8_t slot_of[2][PERIODS];
static unsigned next_victim;

void okt_resampler_reset(void)
{
    unsigned i;
    for (i = 0; i < SLOTS; ++i) blocks[i].period = 0;
    for (i = 0; i < PERIODS; ++i) slot_of[0][i] = slot_of[1][i] = NO_SLOT;
    next_victim = 0;
}

static void generate(struct block *b, uint16_t period, uint32_t step, int add)
{
    uint16_t *code = b->code;
    uint32_t position = 0;
    unsigned i;
    b->period = period;
    b->add = (uint16_t)add;
    for (i = 0; i < OKT_BLOCK_OUTPUTS; ++i, position += step) {
        const uint16_t offset = (uint16_t)(position >> 16);
        b->offsets[i] = offset;
        if (add) {
            *code++ = OP_MOVE_TO_D0;
            *code++ = offset;
            *code++ = OP_ADD_D0_OUT;
        } else {
            *code++ = OP_MOVE_TO_OUT;
            *code++ = offset;
        }
    }
    b->offsets[OKT_BLOCK_OUTPUTS] = (uint16_t)(position >> 16);
    *code = OP_RTS;
}

static const struct block *block_for(uint16_t period, uint32_t step, int add)
{
    const unsigned index = period - OKT_PERIOD_MIN;
    unsigned slot = slot_of[add][index];
    struct block *b;
    if (slot != NO_SLOT && blocks[slot].period == period && blocks[slot].add == add) return &blocks[slot];
    slot = next_victim;
    next_victim = next_victim + 1 == SLOTS ? 0 : next_victim + 1;
    b = &blocks[slot];
    generate(b, period, step, add);
    slot_of[add][index] = (uint8_t)slot;
    return b;
}

void okt_resample(uint16_t period, uint32_t step, int add, const int8_t *source, int8_t *out, uint32_t count)
{
    const struct block *b = block_for(period, step, add);
    const unsigned first = OKT_BLOCK_OUTPUTS - count;
    okt_run_block(b->code + 2 * first + (add ? first : 0), source - b->offsets[first], out);
}
