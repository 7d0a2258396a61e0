| 32-bit multiply for C code built with -m68000, which has only 16x16 MULU.
| long __mulsi3(long a, long b): low 32 bits of a * b, signed or unsigned alike.
| Arguments on the stack, result in D0; clobbers D1 only (both are scratch).

        .text
        .globl  __mulsi3
__mulsi3:
        move.w  4(%sp),%d0              | high word of a
        mulu.w  10(%sp),%d0             | x low word of b
        move.w  8(%sp),%d1              | high word of b
        mulu.w  6(%sp),%d1              | x low word of a
        add.w   %d1,%d0                 | the cross terms only matter modulo 2^16
        swap    %d0
        clr.w   %d0                     | cross terms << 16
        move.w  6(%sp),%d1
        mulu.w  10(%sp),%d1             | low word of a x low word of b
        add.l   %d1,%d0
        rts
