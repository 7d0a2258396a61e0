| Test player "VTS5": audio and software interrupts. InitPlayer installs an audio
| interrupt server for channel 0 (exec SetIntVector, interrupt 7) with the module as
| its data. InitSound starts channel 0 on a 128-byte block of level +64 at period
| 443 and enables the channel's interrupt; at every block start the server points
| the channel at the other block (level -64), so the channel is fed block by block
| and plays a square wave whose half period is one block. The Interrupt routine (on
| CIA-B timer A) calls exec Cause once per tick for a software interrupt whose data
| is the module as well. Counters (longs from module + RESULTS): +0 audio
| interrupts, +4 software interrupts, +8 ticks.

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
        .asciz  "Varno Test Audio Interrupts"
        .even

check:  CHECK_MAGIC 0x56545335

initPlayer:
        move.l  dtg_ChkData(%a5),%d0
        move.l  %d0,module
        move.l  %d0,audioServer+IS_DATA
        move.l  %d0,softServer+IS_DATA
        lea     audioServer,%a1
        moveq   #INTB_AUD0,%d0
        movea.l AbsExecBase,%a6
        jsr     _LVOSetIntVector(%a6)
        rts

initSound:
        lea     CUSTOM_BASE,%a0
        move.w  #DMAF_AUD0,DMACON(%a0)
        move.l  #blockA,AUD0LCH(%a0)
        move.l  #blockA,nextBlock
        move.w  #64,AUD0LEN(%a0)
        move.w  #443,AUD0PER(%a0)
        move.w  #64,AUD0VOL(%a0)
        move.w  #INTF_AUD0,INTREQ(%a0)
        move.w  #INTF_SETCLR+INTF_INTEN+INTF_AUD0,INTENA(%a0)
        move.w  #DMAF_SETCLR+DMAF_MASTER+DMAF_AUD0,DMACON(%a0)
        rts

endSound:
        lea     CUSTOM_BASE,%a0
        move.w  #INTF_AUD0,INTENA(%a0)
        move.w  #DMAF_AUDIO,DMACON(%a0)
        rts

| A block has started: the registers are free for the next one.
audioInterrupt:
        movem.l %d0/%a0,-(%sp)
        addq.l  #1,RESULTS(%a1)
        lea     blockA,%a0
        cmpa.l  nextBlock,%a0
        bne.s   1f
        lea     blockB,%a0
1:      move.l  %a0,nextBlock
        move.l  %a0,CUSTOM_BASE+AUD0LCH
        move.w  #INTF_AUD0,CUSTOM_BASE+INTREQ
        movem.l (%sp)+,%d0/%a0
        rts

softInterrupt:
        addq.l  #1,RESULTS+4(%a1)
        rts

interrupt:
        movem.l %d1-%d7/%a0-%a6,-(%sp)
        movea.l module,%a0
        addq.l  #1,RESULTS+8(%a0)
        lea     softServer,%a1
        movea.l AbsExecBase,%a6
        jsr     _LVOCause(%a6)
        movem.l (%sp)+,%d1-%d7/%a0-%a6
        rts

        .data
audioServer:
        .long   0, 0
        .byte   NT_INTERRUPT, 0
        .long   playerName, 0, audioInterrupt
softServer:
        .long   0, 0
        .byte   NT_INTERRUPT, 0
        .long   playerName, 0, softInterrupt
blockA: .fill   128, 1, 64
blockB: .fill   128, 1, 0xC0

        .bss
module: .space  4
nextBlock:
        .space  4
