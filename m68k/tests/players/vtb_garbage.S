| Misbehaving test player: its check refuses every module, but sloppily. It returns
| D0 = 0x00010000, whose low word is 0 (only D0 = 0 accepts), and leaves every other
| register but the stack pointer trashed. It stands early in the archive, so every
| later player is asked only after it.

#include "test_player.i"

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Check2, check
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test Garbage Check"
        .even

check:
        movem.l garbage(%pc),%d1-%d7/%a0-%a6
        move.l  #0x00010000,%d0
        rts

garbage:
        .long   0xDEADBEEF, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 1, 0x55555555, 0xAAAAAAAA
        .long   0xFFFFFFFF, 0x00DFF000, 0xDEADBEEF, 0x00000001, 0xFFFFFFFE, 0x12345678, 0
