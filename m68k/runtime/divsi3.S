| 32-bit division for C code built with -m68000, which has only 32/16 DIVU/DIVS.
| __udivsi3, __umodsi3, __divsi3, __modsi3 take (dividend, divisor) on the stack
| and return in D0, as GCC expects. Signed results truncate toward zero, and a
| remainder takes the sign of the dividend.
| Division by zero never traps (a DIVU by zero would end the player with an
| exception): the unsigned quotient is 0xFFFFFFFF and the remainder the dividend;
| the signed quotient is -1 for a dividend >= 0 and 1 for a negative one, and the
| signed remainder the dividend.

        .text

| In: D0 dividend, D1 divisor. Out: D0 quotient, D1 remainder. Preserves D2-D7/A1-A7,
| clobbers A0.
        .globl  __varno_udivmod
__varno_udivmod:
        tst.l   %d1
        beq.s   .Lby_zero
        cmp.l   #0xFFFF,%d1
        bhi.s   .Llong_divisor
        | Divisor fits a word: two DIVU steps, high word first. Neither overflows,
        | because the first dividend is < 0x10000 and the second one's high word
        | is a remainder, which is < divisor.
        move.l  %d2,-(%sp)
        move.l  %d0,%d2
        clr.w   %d2
        swap    %d2                     | dividend >> 16
        divu.w  %d1,%d2                 | remainder : high quotient word
        movea.w %d2,%a0                 | keep the high quotient word
        move.w  %d0,%d2                 | remainder : low dividend word
        divu.w  %d1,%d2                 | remainder : low quotient word
        move.l  %d2,%d1
        clr.w   %d1
        swap    %d1                     | remainder
        move.w  %a0,%d0
        swap    %d0
        move.w  %d2,%d0                 | high : low quotient words
        move.l  (%sp)+,%d2
        rts

.Llong_divisor:
        | Divisor above 0xFFFF: the quotient fits 16 bits, and the dividend's high
        | word alone is smaller than the divisor, so restoring division starts with
        | it as the partial remainder and runs over the low 16 bits only. Before
        | step i (0..15) the partial remainder is below 2^(16+i) <= 2^31, so doubling
        | it never carries out of 32 bits.
        movem.l %d2-%d3,-(%sp)
        move.l  %d0,%d2
        clr.w   %d2
        swap    %d2                     | partial remainder = dividend >> 16
        swap    %d0
        clr.w   %d0                     | low dividend word on top, quotient bits below
        moveq   #15,%d3
.Lnext_bit:
        add.l   %d0,%d0                 | next dividend bit into X
        addx.l  %d2,%d2
        cmp.l   %d1,%d2
        bcs.s   .Lkeep
        sub.l   %d1,%d2
        addq.l  #1,%d0
.Lkeep:
        dbra    %d3,.Lnext_bit
        move.l  %d2,%d1
        movem.l (%sp)+,%d2-%d3
        rts

.Lby_zero:
        move.l  %d0,%d1
        moveq   #-1,%d0
        rts

        .globl  __udivsi3
__udivsi3:
        move.l  4(%sp),%d0
        move.l  8(%sp),%d1
        bsr.w   __varno_udivmod
        rts

        .globl  __umodsi3
__umodsi3:
        move.l  4(%sp),%d0
        move.l  8(%sp),%d1
        bsr.w   __varno_udivmod
        move.l  %d1,%d0
        rts

| Signed forms work on the magnitudes; NEG of 0x80000000 leaves 0x80000000, which
| read unsigned is the right magnitude.
        .globl  __divsi3
__divsi3:
        move.l  %d2,-(%sp)
        move.l  8(%sp),%d0
        move.l  12(%sp),%d1
        move.l  %d0,%d2
        eor.l   %d1,%d2                 | sign of the quotient in bit 31
        tst.l   %d0
        bpl.s   1f
        neg.l   %d0
1:      tst.l   %d1
        bpl.s   2f
        neg.l   %d1
2:      bsr.w   __varno_udivmod
        tst.l   %d2
        bpl.s   3f
        neg.l   %d0
3:      move.l  (%sp)+,%d2
        rts

        .globl  __modsi3
__modsi3:
        move.l  %d2,-(%sp)
        move.l  8(%sp),%d0
        move.l  12(%sp),%d1
        move.l  %d0,%d2                 | sign of the remainder: the dividend's
        bpl.s   1f
        neg.l   %d0
1:      tst.l   %d1
        bpl.s   2f
        neg.l   %d1
2:      bsr.w   __varno_udivmod
        move.l  %d1,%d0
        tst.l   %d2
        bpl.s   3f
        neg.l   %d0
3:      move.l  (%sp)+,%d2
        rts
