| Proves the build chain: code, data and BSS hunks from two objects, with absolute
| references between all of them, a PC-relative one inside the code, and an absolute
| symbol that needs no relocation. The tools tests know every byte of the result,
| so keep the layout (offsets in the comments) in step with them.

        .text
        .globl  start
start:
        lea     message,%a0             | code+0:  41F9, long -> data+0
        move.l  #counter,%d0            | code+6:  203C, long -> bss+4
        lea     table(%pc),%a1          | code+12: 43FA, displacement 10
        jsr     helper                  | code+16: 4EB9, long -> code+36
        rts                             | code+22
table:
        .long   start+2                 | code+24 -> code+2
        .long   extra+4                 | code+28 -> bss+16, the end of the BSS
        .word   0xBEEF, 0xCAFE          | code+32

        .data
message:
        .ascii  "VARNO!\0\0"            | data+0
        .long   start                   | data+8  -> code+0
        .long   counter                 | data+12 -> bss+4
        .long   message+4               | data+16 -> data+4

        .bss
        .space  4                       | bss+0
counter:
        .space  8                       | bss+4

        .globl  magic
        .set    magic, 0x4000
