| Misbehaving test player "VTBH": for its own modules one routine never returns,
| chosen by the module's fifth byte: 'C' the check, 'I' InitPlayer, 'S' InitSound,
| 'E' EndSound. Any other fifth byte plays a tone like any other player. Other
| files are refused at once, so the player costs nothing to checks of them.

#include "test_player.i"

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
        .asciz  "Varno Test Hang"
        .even

| A0 = the module's data; Z set when its fifth byte is D1.
        .macro  HANG_IF routine
        movea.l dtg_ChkData(%a5),%a0
        cmpi.b  #\routine,4(%a0)
        bne.s   8f
7:      bra.s   7b
8:
        .endm

check:
        moveq   #-1,%d0
        cmpi.l  #5,dtg_ChkSize(%a5)
        blo.s   1f
        movea.l dtg_ChkData(%a5),%a0
        cmpi.l  #0x56544248,(%a0)
        bne.s   1f
        HANG_IF 'C'
        moveq   #0,%d0
1:      rts

initPlayer:
        HANG_IF 'I'
        moveq   #0,%d0
        rts

initSound:
        HANG_IF 'S'
        START_TONE #300
        rts

endSound:
        HANG_IF 'E'
        STOP_TONE
        rts

interrupt:
        rts

        .data
        WAVE_DATA
