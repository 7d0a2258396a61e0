| A custom module: an executable that carries its own player (the CustomPlayer tag),
| played as catalogue entry 0 rather than by an archive player. Two subsongs; subsong
| n plays a tone of period 250 + 250 x n on the CIA-B timer A Interrupt and signals
| the song end after 10 ticks. Not in the player archive: tests open it as a module.

#include "test_player.i"

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_CustomPlayer, 1
        .long   DTP_PlayerName, playerName
        .long   DTP_DeliBase, deliBase
        .long   DTP_SubSongRange, subSongRange
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   DTP_Interrupt, interrupt
        .long   TAG_DONE

playerName:
        .asciz  "Varno Custom Test"
        .even

subSongRange:
        moveq   #0,%d0
        moveq   #1,%d1
        rts

initSound:
        move.w  dtg_SndNum(%a5),%d0
        addq.w  #1,%d0
        mulu    #250,%d0
        move.w  %d0,period
        move.w  #10,ticksLeft
        START_TONE period
        rts

endSound:
        STOP_TONE
        rts

interrupt:
        movem.l %d1-%d7/%a0-%a6,-(%sp)
        subq.w  #1,ticksLeft
        bne.s   1f
        movea.l deliBase,%a5
        DTG_CALL dtg_SongEnd
1:      movem.l (%sp)+,%d1-%d7/%a0-%a6
        rts

        .data
deliBase:
        .long   0
        WAVE_DATA

        .bss
period: .space  2
ticksLeft:
        .space  2
