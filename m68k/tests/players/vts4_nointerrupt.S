| Test player "VTS4": no interrupt at all. InitSound starts a looping tone of period
| 400 and nothing ever runs again: there is no Interrupt, StartInt or server, and no
| subsong tag (one subsong, 0). Paula keeps playing the loop on its own.

#include "test_player.i"

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Check2, check
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test Silent Driver"
        .even

check:  CHECK_MAGIC 0x56545334

initSound:
        START_TONE #400
        rts

endSound:
        STOP_TONE
        rts

        .data
        WAVE_DATA
