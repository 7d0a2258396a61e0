| Entry of the C example: calls the C routines with the m68k C convention (arguments
| pushed right to left, result in D0, D0-D1/A0-A1 clobbered) and keeps the results.

        .text
        .globl  start
start:
        movem.l %d2-%d7/%a2-%a6,-(%sp)
        pea     7                       | denominator
        pea     3                       | numerator
        pea     428                     | base
        jsr     scaled_period
        lea     12(%sp),%sp
        move.l  %d0,results
        pea     6
        pea     1000
        jsr     split_ticks
        addq.l  #8,%sp
        move.l  %d0,results+4
        pea     initial
        pea     2
        jsr     reset_voice
        addq.l  #8,%sp
        movem.l (%sp)+,%d2-%d7/%a2-%a6
        rts

        .data
initial:
        .word   428, 64
        .long   0, 0

        .bss
results:
        .space  8
