| The mixer's loops that are not generated (resampler.c generates the others).

        .text

| void okt_clear(int8_t *out, uint32_t count): count 1..65536 bytes of silence.
        .globl  okt_clear
okt_clear:
        movea.l 4(%sp),%a1
        move.l  8(%sp),%d0
        subq.l  #1,%d0
1:      clr.b   (%a1)+
        dbra    %d0,1b
        rts

| The loops for periods without a block (portamento between the notes): one
| voice resampled into a channel's buffer, either stored (the channel's first
| voice) or added (its second); the 7-bit samples are added as they are (the
| channel's volume is Paula's). The position is kept as fraction:integer in one register, so that one add.l
| steps both halves and addx.w carries the fraction's overflow into the byte
| index. The loops are unrolled sixteen times and entered part way for the rest.
|
| uint32_t okt_mix_store(const int8_t *source, uint32_t position, uint32_t step,
|                        int8_t *out, uint32_t count)
| uint32_t okt_mix_add(... the same ...)
|   position and step: fraction in the high word, whole bytes in the low word;
|   the result is the position after `count` output bytes (count >= 1, and the
|   whole part stays below 32768).

        .macro  ENTER
        movem.l %d2-%d5/%a2,-(%sp)
        movea.l 24(%sp),%a0             | source
        move.l  28(%sp),%d0             | position
        move.l  32(%sp),%d1             | step
        movea.l 36(%sp),%a1             | out
        move.l  40(%sp),%d2             | count
        moveq   #0,%d4                  | zero, for addx
        move.l  %d2,%d3
        subq.l  #1,%d3
        lsr.l   #4,%d3                  | passes of sixteen after the first
        andi.w  #15,%d2
        neg.w   %d2
        andi.w  #15,%d2                 | bytes of the first pass left out
        .endm

        .macro  LEAVE
        movem.l (%sp)+,%d2-%d5/%a2
        rts
        .endm

        .globl  okt_mix_store
okt_mix_store:
        ENTER
        mulu.w  #8,%d2                  | 8 bytes of code per output byte
        lea     1f(%pc),%a2
        jmp     (%a2,%d2.w)
1:
        .rept   16
        move.b  (%a0,%d0.w),(%a1)+
        add.l   %d1,%d0
        addx.w  %d4,%d0
        .endr
        dbra    %d3,1b
        LEAVE

        .globl  okt_mix_add
okt_mix_add:
        ENTER
        mulu.w  #10,%d2                 | 10 bytes of code per output byte
        lea     1f(%pc),%a2
        jmp     (%a2,%d2.w)
1:
        .rept   16
        move.b  (%a0,%d0.w),%d5
        add.b   %d5,(%a1)+
        add.l   %d1,%d0
        addx.w  %d4,%d0
        .endr
        dbra    %d3,1b
        LEAVE
