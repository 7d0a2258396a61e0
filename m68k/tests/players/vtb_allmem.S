| Misbehaving test player "VTBM": InitPlayer takes all memory there is. It asks for
| 2 GB once, then for blocks of 512 KB, halving the size whenever a request fails,
| down to 2 bytes. Then it plays a tone like any other player. Results (longs from
| module + RESULTS): +0 the answer to the 2 GB request, +4 the number of blocks
| granted, +8 the highest block address granted, +12 the bytes granted.

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
        .asciz  "Varno Test Memory Hog"
        .even

check:  CHECK_MAGIC 0x5654424D

initPlayer:
        movea.l dtg_ChkData(%a5),%a4
        lea     RESULTS(%a4),%a4
        movea.l AbsExecBase,%a6
        move.l  #0x7FFFFFF0,%d0
        moveq   #MEMF_ANY,%d1
        jsr     _LVOAllocMem(%a6)
        move.l  %d0,0(%a4)
        move.l  #0x80000,%d7
1:      move.l  %d7,%d0
        moveq   #MEMF_ANY,%d1
        jsr     _LVOAllocMem(%a6)
        tst.l   %d0
        beq.s   2f
        addq.l  #1,4(%a4)
        add.l   %d7,12(%a4)
        cmp.l   8(%a4),%d0
        bls.s   1b
        move.l  %d0,8(%a4)
        bra.s   1b
2:      lsr.l   #1,%d7
        cmpi.l  #2,%d7
        bhs.s   1b
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
