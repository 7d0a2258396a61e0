| Test player "VTS9": the audio filter switched through CIA-A port A, the way replay
| routines switch it (ProTracker's E0x command). InitSound starts a square tone of
| period 124 on channel 0; the Interrupt routine then runs through five phases of
| 25 ticks (half a second each) and writes, on every tick, the power LED bit of PRA
| and the LED pin's direction bit of DDRA:
|
|   phase  PRA bit 1    DDRA bit 1   LED and filter
|   0      1            1 (output)   off
|   1      0            1 (output)   on
|   2      0            0 (input)    off: an input pin floats high
|   3      0            1 (output)   on
|   4      1            1 (output)   off, and so on for every later tick

#include "test_player.i"
#include <varno/cia.h>

#define TICKS_PER_PHASE 25
#define LAST_PHASE 4

        DELIRIUM_HEADER tags

        .text
tags:
        .long   DTP_PlayerName, playerName
        .long   DTP_Check2, check
        .long   DTP_InitSound, initSound
        .long   DTP_EndSound, endSound
        .long   DTP_Interrupt, interrupt
        .long   TAG_DONE

playerName:
        .asciz  "Varno Test Filter"
        .even

check:  CHECK_MAGIC 0x56545339

initSound:
        clr.w   ticksRun
        START_TONE #124
        moveq   #0,%d0
        rts

endSound:
        STOP_TONE
        rts

interrupt:
        movem.l %d0/%a0-%a1,-(%sp)
        moveq   #0,%d0
        move.w  ticksRun,%d0
        addq.w  #1,ticksRun
        divu    #TICKS_PER_PHASE,%d0
        cmpi.w  #LAST_PHASE,%d0
        bls.s   1f
        moveq   #LAST_PHASE,%d0
1:      add.w   %d0,%d0
        lea     phases,%a0
        lea     CIAA_BASE,%a1
        tst.b   0(%a0,%d0.w)
        beq.s   2f
        bset    #CIAB_LED,ciapra(%a1)
        bra.s   3f
2:      bclr    #CIAB_LED,ciapra(%a1)
3:      tst.b   1(%a0,%d0.w)
        beq.s   4f
        bset    #CIAB_LED,ciaddra(%a1)
        bra.s   5f
4:      bclr    #CIAB_LED,ciaddra(%a1)
5:      movem.l (%sp)+,%d0/%a0-%a1
        rts

        .data
| Per phase: PRA bit 1, DDRA bit 1.
phases:
        .byte   1, 1
        .byte   0, 1
        .byte   0, 0
        .byte   0, 1
        .byte   1, 1
        WAVE_DATA

        .bss
ticksRun:
        .space  2
