| A minimal DeliTracker player, the template for our own players. It accepts modules
| that begin with the eight bytes "VARNOTST", has two subsongs, and plays a square
| wave on channel 0 (subsong 0: period 254, subsong 1: period 508) for 50 ticks,
| then signals the song end.
|
| Every routine runs with A5 = the DeliBase structure and ends with RTS; results go
| in D0 (0 = success). The interrupt keeps every register but D0, as any interrupt
| code should; the other routines may use all of them.

#include <varno/player.h>
#include <varno/custom.h>
#include <varno/exec.h>

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Creator, creator
        .long   DTP_DeliBase, deliBase
        .long   DTP_Check2, check
        .long   DTP_SubSongRange, subSongRange
        .long   DTP_InitPlayer, initPlayer
        .long   DTP_EndPlayer, endPlayer
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   DTP_Interrupt, interrupt
        .long   TAG_DONE

playerName:
        .asciz  "Varno Skeleton"
creator:
        .asciz  "Varno developers,\nas a template"
magic:
        .ascii  "VARNOTST"
        .even

| D0 = 0 when the module at dtg_ChkData starts with the magic text.
check:
        moveq   #-1,%d0
        cmpi.l  #8,dtg_ChkSize(%a5)
        blo.s   1f
        movea.l dtg_ChkData(%a5),%a0
        lea     magic(%pc),%a1
        cmpm.l  (%a0)+,(%a1)+
        bne.s   1f
        cmpm.l  (%a0)+,(%a1)+
        bne.s   1f
        moveq   #0,%d0
1:      rts

| D0 = first, D1 = last subsong.
subSongRange:
        moveq   #0,%d0
        moveq   #1,%d1
        rts

| Once per module, after a successful check: take the module's address and claim
| the audio channels.
initPlayer:
        move.l  dtg_ChkData(%a5),module
        DTG_CALL dtg_AudioAlloc
        moveq   #0,%d0
        rts

endPlayer:
        DTG_CALL dtg_AudioFree
        moveq   #0,%d0
        rts

| Once per subsong (dtg_SndNum): start the wave at the subsong's pitch.
initSound:
        move.w  #50,ticksLeft
        lea     CUSTOM_BASE,%a0
        move.w  #DMAF_AUD0,DMACON(%a0)
        move.l  #wave,AUD0LCH(%a0)
        move.w  #(waveEnd-wave)/2,AUD0LEN(%a0)
        move.w  #254,%d0
        tst.w   dtg_SndNum(%a5)
        beq.s   1f
        add.w   %d0,%d0
1:      move.w  %d0,AUD0PER(%a0)
        move.w  #64,AUD0VOL(%a0)
        move.w  #DMAF_SETCLR+DMAF_MASTER+DMAF_AUD0,DMACON(%a0)
        rts

endSound:
        lea     CUSTOM_BASE,%a0
        move.w  #DMAF_AUDIO,DMACON(%a0)
        clr.w   AUD0VOL(%a0)
        rts

| Once per tick (50 Hz unless the player sets dtg_Timer and calls dtg_SetTimer).
interrupt:
        movem.l %d1-%d7/%a0-%a6,-(%sp)
        subq.w  #1,ticksLeft
        bne.s   1f
        move.w  #50,ticksLeft
        movea.l deliBase,%a5
        DTG_CALL dtg_SongEnd
1:      movem.l (%sp)+,%d1-%d7/%a0-%a6
        rts

        .data
| The host writes the DeliBase address here (DTP_DeliBase), for routines entered
| without A5, such as interrupts of the player's own.
deliBase:
        .long   0
| One cycle of a square wave: the audio hardware reads it from chip memory.
wave:
        .byte   100, 100, 100, 100, 100, 100, 100, 100
        .byte   -100, -100, -100, -100, -100, -100, -100, -100
waveEnd:

        .bss
module:
        .space  4
ticksLeft:
        .space  2
        .even
