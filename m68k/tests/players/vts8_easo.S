| Test player for EASO modules: the host puts its built-in EASO replay block in front
| of every file that begins with "EASO", so the check looks for the block's
| signature at the data (BRA.W init, BRA.W play, a zero long) and the player only
| calls the block: InitSound calls block + 0, the Interrupt (CIA-B timer A, 50 Hz)
| calls block + 4.

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
        .asciz  "Varno Test EASO"
        .even

check:
        moveq   #-1,%d0
        cmpi.l  #12,dtg_ChkSize(%a5)
        blo.s   1f
        movea.l dtg_ChkData(%a5),%a0
        cmpi.l  #0x60000126,(%a0)+
        bne.s   1f
        cmpi.l  #0x60000150,(%a0)+
        bne.s   1f
        tst.l   (%a0)
        bne.s   1f
        moveq   #0,%d0
1:      rts

initPlayer:
        move.l  dtg_ChkData(%a5),block
        moveq   #0,%d0
        rts

initSound:
        movea.l block,%a0
        jsr     (%a0)
        rts

endSound:
        STOP_TONE
        rts

interrupt:
        movem.l %d1-%d7/%a0-%a6,-(%sp)
        movea.l block,%a0
        jsr     4(%a0)
        movem.l (%sp)+,%d1-%d7/%a0-%a6
        rts

        .bss
block:  .space  4
