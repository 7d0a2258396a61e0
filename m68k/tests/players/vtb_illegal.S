| Misbehaving test player "VTBI": for its own modules the check runs into an
| illegal instruction (having set D0 = -1 first, so the module stays refused).

#include "test_player.i"

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Check2, check
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test Illegal Check"
        .even

check:
        moveq   #-1,%d0
        movea.l dtg_ChkData(%a5),%a0
        cmpi.l  #0x56544249,(%a0)
        bne.s   1f
        illegal
1:      rts
