| Entering a block of generated resampling code (resampler.c).
|
| void okt_run_block(const uint16_t *entry, const int8_t *base, int8_t *out)
|   The block reads with A0 = base, writes through A1 = out, uses D0, and ends
|   in rts: pushed as a return address, the entry is "returned" into, and the
|   block's rts goes back to the caller.

        .text
        .globl  okt_run_block
okt_run_block:
        movea.l 8(%sp),%a0
        movea.l 12(%sp),%a1
        move.l  4(%sp),-(%sp)
        rts
