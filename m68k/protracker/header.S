| The player's header, tag list and the glue between the host's calls and the C
| replay. The same sources build two players: FORMAT 0 is "ProTracker" (31 samples
| and a magic), FORMAT 1 "SoundTracker" (15 samples), so that the host shows the
| format by the player's name. C routines follow the m68k C convention: arguments
| on the stack, result in D0, D0-D1/A0-A1 free to clobber.

#include <varno/player.h>
#include <varno/custom.h>

#ifndef FORMAT
#error "FORMAT must be 0 (ProTracker) or 1 (SoundTracker)"
#endif

| Module-information tags.
#define MI_SongName 0x80004D49
#define MI_Prefix 0x80004D5F

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Creator, creator
        .long   DTP_DeliBase, deliBase
        .long   DTP_Check2, check
        .long   DTP_SubSongRange, subSongRange
        .long   DTP_ModuleName, pt_title
        .long   DTP_InitPlayer, initPlayer
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   DTP_Interrupt, interrupt
        .long   EP_GetModuleInfo, getModuleInfo
        .long   TAG_DONE

playerName:
#if FORMAT == 0
        .asciz  "ProTracker"
#else
        .asciz  "SoundTracker"
#endif
creator:
        .asciz  "Varno team"
| The host takes the short format name from the part before the dot.
prefix: .asciz  "mod.Title"
        .even
infoList:
        .long   MI_Prefix, prefix
        .long   MI_SongName, pt_title
        .long   TAG_DONE

check:  move.l  dtg_ChkSize(%a5),%d0
        move.l  dtg_ChkData(%a5),%d1
        pea     FORMAT
        move.l  %d0,-(%sp)
        move.l  %d1,-(%sp)
        jsr     pt_check
        lea     12(%sp),%sp
        rts

initPlayer:
        move.l  dtg_ChkSize(%a5),%d0
        move.l  dtg_ChkData(%a5),%d1
        pea     FORMAT
        move.l  %d0,-(%sp)
        move.l  %d1,-(%sp)
        jsr     pt_init
        lea     12(%sp),%sp
        rts

| Tunes 0 .. n - 1, found by pt_init.
subSongRange:
        jsr     pt_last_subsong
        move.l  %d0,%d1
        moveq   #0,%d0
        rts

initSound:
        move.l  %a5,-(%sp)
        jsr     pt_start
        addq.l  #4,%sp
        moveq   #0,%d0
        rts

endSound:
        jsr     pt_stop
        moveq   #0,%d0
        rts

getModuleInfo:
        lea     infoList(%pc),%a0
        moveq   #0,%d0
        rts

| One tick; the C side says which callbacks to make.
interrupt:
        movem.l %d2-%d7/%a2-%a6,-(%sp)
        movea.l deliBase,%a5
        move.l  %a5,-(%sp)
        jsr     pt_tick
        addq.l  #4,%sp
        move.l  %d0,%d2
        btst    #1,%d2
        beq.s   1f
        DTG_CALL dtg_SetTimer
1:      btst    #0,%d2
        beq.s   2f
        DTG_CALL dtg_SongEnd
2:      movem.l (%sp)+,%d2-%d7/%a2-%a6
        rts

        .data
deliBase:
        .long   0
