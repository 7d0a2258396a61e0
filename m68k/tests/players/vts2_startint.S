| Test player "VTS2": an EaglePlayer player with a timer of its own. Its StartInt
| claims CIA-A timer A through ciaa.resource AddICRVector and loads the latch with
| 8192 (a tick of 8192 / 709379 s); there is no Interrupt tag. The subsongs come from
| NewSubSongRange (default 2, first 2, last 4); the format prefix "vt2.name" and the
| title "Info Title" from GetModuleInfo; the check is Check3. The tick routine gets
| the module address as its data (IS_DATA, so A1) and counts its ticks in the long
| at module + RESULTS.

#include "test_player.i"
#include <varno/cia.h>

        EPPLAYER_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   EP_Check3, check
        .long   DTP_NewSubSongRange, subsongs
        .long   EP_GetModuleInfo, getModuleInfo
        .long   DTP_InitPlayer, initPlayer
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   DTP_StartInt, startInt
        .long   DTP_StopInt, stopInt
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test StartInt"
prefix: .asciz  "vt2.name"
infoTitle:
        .asciz  "Info Title"
ciaaName:
        .asciz  "ciaa.resource"
        .even
subsongs:
        .word   2, 2, 4
infoList:
        .long   MI_Prefix, prefix
        .long   MI_SongName, infoTitle
        .long   TAG_DONE

check:  CHECK_MAGIC 0x56545332

getModuleInfo:
        lea     infoList(%pc),%a0
        moveq   #0,%d0
        rts

initPlayer:
        move.l  dtg_ChkData(%a5),timer+IS_DATA
        moveq   #0,%d0
        rts

initSound:
        move.w  dtg_SndNum(%a5),%d0
        mulu    #100,%d0
        move.w  %d0,period
        START_TONE period
        rts

endSound:
        STOP_TONE
        rts

startInt:
        lea     ciaaName(%pc),%a1
        movea.l AbsExecBase,%a6
        jsr     _LVOOpenResource(%a6)
        tst.l   %d0
        beq.s   1f
        movea.l %d0,%a6
        move.b  #0x00,CIAA_BASE+ciatalo
        move.b  #0x20,CIAA_BASE+ciatahi
        lea     timer,%a1
        moveq   #CIAICRB_TA,%d0
        jsr     _LVOAddICRVector(%a6)
1:      rts

stopInt:
        rts

| Runs once per tick with A1 = IS_DATA = the module.
tick:
        addq.l  #1,RESULTS(%a1)
        rts

        .data
timer:
        .long   0, 0
        .byte   NT_INTERRUPT, 0
        .long   playerName
        .long   0
        .long   tick
        WAVE_DATA

        .bss
period: .space  2
