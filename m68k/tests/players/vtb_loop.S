| Misbehaving test player "VTBL": accepted and set up normally, but its Interrupt
| routine never returns.

#include "test_player.i"

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Check2, check
        .long   DTP_InitSound, initSound
        .long   DTP_Interrupt, interrupt
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test Endless Tick"
        .even

check:  CHECK_MAGIC 0x5654424C

initSound:
        START_TONE #300
        rts

interrupt:
        bra.s   interrupt

        .data
        WAVE_DATA
