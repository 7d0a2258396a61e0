| Misbehaving test player "VTBW": InitPlayer wrecks what it can reach. It clears
| the exception vectors and the pointer to exec at address 4, exec's jump table,
| every player loaded before it, and turns its own check into ILLEGAL
| instructions. Then it plays a tone like any other player.

#include "test_player.i"

| exec's jump table lies below its base (the base is the long at address 4).
#define EXEC_VECTORS 780

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Check2, check
        .long   DTP_InitPlayer, initPlayer
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   DTP_Interrupt, interrupt
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test Wrecker"
        .even

check:  CHECK_MAGIC 0x56544257
checkEnd:

initPlayer:
        | exec's jump table, while its base is still known
        movea.l AbsExecBase,%a0
        move.w  #EXEC_VECTORS/2-1,%d0
1:      clr.w   -(%a0)
        dbf     %d0,1b
        | vectors 0 to 47, and the pointer to exec
        suba.l  %a0,%a0
        move.w  #48-1,%d0
2:      clr.l   (%a0)+
        dbf     %d0,2b
        | main memory from its start up to this player's own header
        lea     0x20000,%a0
        lea     tags-16,%a1
3:      cmpa.l  %a1,%a0
        bhs.s   4f
        clr.w   (%a0)+
        bra.s   3b
4:      | its own check
        lea     check,%a0
        lea     checkEnd,%a1
5:      move.w  #0x4AFC,(%a0)+
        cmpa.l  %a1,%a0
        blo.s   5b
        moveq   #0,%d0
        rts

initSound:
        START_TONE #300
        rts

endSound:
        STOP_TONE
        rts

interrupt:
        rts

        .data
        WAVE_DATA
