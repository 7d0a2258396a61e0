| An executable for dos_calls to LoadSeg: a code hunk whose code reads a long
| from a data hunk through a relocated address and returns it in D0.
        .text
        move.l  value,%d0
        rts

        .data
value:  .long   0x5345474D
