| Test player "VTS1": the plain DeliTracker case. Its Interrupt routine is started by
| the host on CIA-B timer A (50 Hz). Three subsongs from SubSongRange (1-3), the title
| from ModuleName (copied from module bytes 4-19), a Creator text with line feeds.
| Subsong n plays a tone of period 200 x n for a fixed number of ticks: 50 for
| subsong 1, 100 for subsong 2, and signals the song end on the tick after them, as
| a player does when its song comes round. Subsong 3 sets dtg_Timer to 28376 (twice
| the default) on its first tick and calls dtg_SetTimer, then ends after 25 of those
| 40 ms ticks. All three therefore last one, two and one seconds.

#include "test_player.i"

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Creator, creator
        .long   DTP_DeliBase, deliBase
        .long   DTP_Check2, check
        .long   DTP_SubSongRange, subSongRange
        .long   DTP_ModuleName, title
        .long   DTP_InitPlayer, initPlayer
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   DTP_Interrupt, interrupt
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test Interrupt"
creator:
        .asciz  "Varno team\nsecond line\nthird line"
        .even

check:  CHECK_MAGIC 0x56545331

subSongRange:
        moveq   #1,%d0
        moveq   #3,%d1
        rts

| The title is the zero-padded text at module bytes 4-19.
initPlayer:
        movea.l dtg_ChkData(%a5),%a0
        addq.l  #4,%a0
        lea     title,%a1
        moveq   #15,%d0
1:      move.b  (%a0)+,(%a1)+
        dbf     %d0,1b
        moveq   #0,%d0
        rts

initSound:
        move.w  dtg_SndNum(%a5),%d0
        move.w  %d0,%d1
        mulu    #200,%d1
        move.w  %d1,period
        moveq   #51,%d1
        cmpi.w  #2,%d0
        bne.s   1f
        moveq   #101,%d1
1:      cmpi.w  #3,%d0
        bne.s   2f
        moveq   #26,%d1
2:      move.w  %d1,ticksLeft
        move.w  %d0,subsong
        clr.w   ticksRun
        START_TONE period
        moveq   #0,%d0
        rts

endSound:
        STOP_TONE
        rts

interrupt:
        movem.l %d1-%d7/%a0-%a6,-(%sp)
        movea.l deliBase,%a5
        addq.w  #1,ticksRun
        cmpi.w  #3,subsong
        bne.s   1f
        cmpi.w  #1,ticksRun
        bne.s   1f
        move.w  #28376,dtg_Timer(%a5)
        DTG_CALL dtg_SetTimer
1:      subq.w  #1,ticksLeft
        bne.s   2f
        DTG_CALL dtg_SongEnd
2:      movem.l (%sp)+,%d1-%d7/%a0-%a6
        rts

        .data
deliBase:
        .long   0
        WAVE_DATA

        .bss
title:  .space  18
period: .space  2
subsong:
        .space  2
ticksLeft:
        .space  2
ticksRun:
        .space  2
