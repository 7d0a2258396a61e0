| The inner loops of the software mixer: one voice resampled into a channel's
| buffer, either stored (the channel's first voice) or added (its second). The
| position is kept as fraction:integer in one register, so that one add.l steps
| both halves and addx.w carries the fraction's overflow into the byte index;
| the volume is a table lookup (256 bytes per volume, indexed by the sample byte).
| The loops are unrolled sixteen times and entered part way for the remainder.
|
| uint32_t okt_mix_store(const int8_t *source, uint32_t position, uint32_t step,
|                        const int8_t *volume_table, int8_t *out, uint32_t count)
| uint32_t okt_mix_add(... the same ...)
|   position and step: fraction in the high word, whole bytes in the low word;
|   the result is the position after `count` output bytes (count >= 1, and the
|   whole part stays below 32768).

        .text

        .macro  ENTER
        movem.l %d2-%d6/%a2-%a3,-(%sp)
        movea.l 32(%sp),%a0             | source
        move.l  36(%sp),%d0             | position
        move.l  40(%sp),%d1             | step
        movea.l 44(%sp),%a2             | volume table
        movea.l 48(%sp),%a1             | out
        move.l  52(%sp),%d2             | count
        moveq   #0,%d4                  | zero, for addx
        moveq   #0,%d5                  | sample byte: the high bytes stay clear
        move.l  %d2,%d3
        subq.l  #1,%d3
        lsr.l   #4,%d3                  | passes of sixteen after the first
        andi.w  #15,%d2
        neg.w   %d2
        andi.w  #15,%d2                 | bytes of the first pass left out
        .endm

        .macro  LEAVE
        movem.l (%sp)+,%d2-%d6/%a2-%a3
        rts
        .endm

        .globl  okt_mix_store
okt_mix_store:
        ENTER
        mulu.w  #12,%d2                 | 12 bytes of code per output byte
        lea     1f(%pc),%a3
        jmp     (%a3,%d2.w)
1:
        .rept   16
        move.b  (%a0,%d0.w),%d5
        move.b  (%a2,%d5.w),(%a1)+
        add.l   %d1,%d0
        addx.w  %d4,%d0
        .endr
        dbra    %d3,1b
        LEAVE

        .globl  okt_mix_add
okt_mix_add:
        ENTER
        mulu.w  #14,%d2                 | 14 bytes of code per output byte
        lea     1f(%pc),%a3
        jmp     (%a3,%d2.w)
1:
        .rept   16
        move.b  (%a0,%d0.w),%d5
        move.b  (%a2,%d5.w),%d6
        add.b   %d6,(%a1)+
        add.l   %d1,%d0
        addx.w  %d4,%d0
        .endr
        dbra    %d3,1b
        LEAVE
