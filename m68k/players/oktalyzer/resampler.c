/* The generated blocks: the block of a period and a voice slot holds, for output
   byte i, an instruction reading the sample at floor(i * step) bytes (a 16-bit
   displacement), stored or added into the output, and ends in rts. */
#include "resampler.h"

#define OP_MOVE_TO_OUT 0x12E8 /* move.b d16(a0),(a1)+ */
#define OP_MOVE_TO_D0 0x1028  /* move.b d16(a0),d0 */
#define OP_ADD_D0_OUT 0xD119  /* add.b d0,(a1)+ */
#define OP_RTS 0x4E75

struct okt_block okt_blocks[OKT_NOTES][2];
uint8_t okt_note_of_period[OKT_PERIOD_MAX - OKT_PERIOD_MIN + 1];

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
    for (i = 0; i <= OKT_PERIOD_MAX - OKT_PERIOD_MIN; ++i) okt_note_of_period[i] = OKT_NOT_A_NOTE;
    for (i = 0; i < OKT_NOTES; ++i) {
        const uint32_t step = steps[okt_periods[i] - OKT_PERIOD_MIN];
        okt_note_of_period[okt_periods[i] - OKT_PERIOD_MIN] = (uint8_t)i;
        generate(&okt_blocks[i][0], step, 0);
        generate(&okt_blocks[i][1], step, 1);
    }
}
