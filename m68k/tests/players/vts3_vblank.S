| Test player "VTS3": a vertical-blank server. StartInt adds an interrupt server for
| the vertical blank (exec AddIntServer, interrupt 5), which the host drives from
| CIA-B timer A at 50 Hz. The subsongs are found by NextSong probing (0-2); the
| module information comes through NewModuleInfo: format prefix ".vt3" and the title
| "Vblank Title". The server counts its ticks in the long at module + RESULTS.
|
| NewModuleInfo names a long that holds the address of the information list. The
| list follows that long after a pair whose first long is the list's address, so a
| reader that takes the tag value itself as the list skips that pair and reads the
| same list.

#include "test_player.i"

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Check1, check
        .long   DTP_NextSong, nextSong
        .long   EP_NewModuleInfo, moduleInfo
        .long   DTP_InitPlayer, initPlayer
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   DTP_StartInt, startInt
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test VBlank"
prefix: .asciz  ".vt3"
infoTitle:
        .asciz  "Vblank Title"
        .even
moduleInfo:
        .long   infoList, 0
infoList:
        .long   MI_Prefix, prefix
        .long   MI_SongName, infoTitle
        .long   TAG_DONE

check:  CHECK_MAGIC 0x56545333

| Moves to the next subsong, up to 2.
nextSong:
        cmpi.w  #2,dtg_SndNum(%a5)
        bhs.s   1f
        addq.w  #1,dtg_SndNum(%a5)
1:      moveq   #0,%d0
        rts

initPlayer:
        move.l  dtg_ChkData(%a5),server+IS_DATA
        moveq   #0,%d0
        rts

initSound:
        move.w  #300,%d0
        add.w   dtg_SndNum(%a5),%d0
        move.w  %d0,period
        START_TONE period
        rts

endSound:
        STOP_TONE
        rts

startInt:
        lea     server,%a1
        moveq   #INTB_VERTB,%d0
        movea.l AbsExecBase,%a6
        jsr     _LVOAddIntServer(%a6)
        rts

vblank:
        addq.l  #1,RESULTS(%a1)
        moveq   #0,%d0
        rts

        .data
server:
        .long   0, 0
        .byte   NT_INTERRUPT, 0
        .long   playerName
        .long   0
        .long   vblank
        WAVE_DATA

        .bss
period: .space  2
