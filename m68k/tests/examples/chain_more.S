| Second object of the chain example: its code, data and BSS follow those of
| chain.S inside the same three hunks.

        .text
        .globl  helper
helper:
        moveq   #42,%d0                 | code+36
        rts                             | code+38

        .data
        .long   helper                  | data+20 -> code+36
        .long   0x12345678              | data+24
        .long   magic                   | data+28: absolute, no relocation

        .bss
        .globl  extra
extra:
        .space  4                       | bss+12
