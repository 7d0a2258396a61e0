/* The generated blocks: the block of a period and a voice slot holds, for output
   byte i, an instruction reading the sample at floor(i * step) bytes (a 16-bit
   displacement), stored or added into the output, and ends in rts. */
#include "resampler.h"

#define OP_MOVE_TO_OUT 0x12E8 /* move.b d16(a0),(a1)+ */
#define OP_MOVE_TO_D0 0x1028  /* move.b d16(a0),d0 */
#define OP_ADD_D0_OUT 0xD119  /* add.b d0,(a1)+ */
#define OP_RTS 0x4E75

static struct okt_block blocks[OKT_NOTES][2];
const struct okt_block *okt_block_of[2][OKT_PERIOD_MAX - OKT_PERIOD_MIN + 1];

static void generate(struct okt_block *b, uint32_t step, int add)
{
    uint16_t *code = b->code;
    uint32_t position = 0;
    unsigned i;
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

void okt_resampler_init(const uint32_t *steps)
{
    unsigned i;
    for (i = 0; i <= OKT_PERIOD_MAX - OKT_PERIOD_MIN; ++i) okt_block_of[0][i] = okt_block_of[1][i] = 0;
    for (i = 0; i < OKT_NOTES; ++i) {
        const unsigned index = okt_periods[i] - OKT_PERIOD_MIN;
        generate(&blocks[i][0], steps[index], 0);
        generate(&blocks[i][1], steps[index], 1);
        okt_block_of[0][index] = &blocks[i][0];
        okt_block_of[1][index] = &blocks[i][1];
    }
}
