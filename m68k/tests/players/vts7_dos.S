| Test player "VTS7": dos.library. InitPlayer opens "<dir>vts7.dat" (named in the
| path buffer) and reads, seeks and closes it; opens the same name relative to a
| directory set with Lock and CurrentDir; reads "env:eagleplayer/vts7.config" (the
| period of its tone, four decimal digits after "CFG7"); and loads the executable
| "<dir>vts7_segment" with LoadSeg and calls its code. vts7.dat is "DAT7", four
| bytes, "END7". Results (longs from module + RESULTS):
|   +0  Open handle (non-zero)      +4  Read of 8 bytes (8)
|   +8  first long ("DAT7")         +12 Seek -4 from the end: old position (8)
|   +16 long read then ("END7")     +20 Open with MODE_NEWFILE (0)
|   +24 Lock (non-zero)             +28 Open relative to CurrentDir (non-zero)
|   +32 its first long ("DAT7")     +36 Open of the env file (non-zero)
|   +40 config: first long ("CFG7") +44 period read from the config
|   +48 LoadSeg (non-zero)          +52 D0 of the segment's code ("SEG7")

#include "test_player.i"
#include <varno/dos.h>

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
        .asciz  "Varno Test DOS"
dataName:
        .asciz  "vts7.dat"
configName:
        .asciz  "env:eagleplayer/vts7.config"
segmentName:
        .asciz  "vts7_segment"
        .even

check:  CHECK_MAGIC 0x56545337

| Path buffer = module directory + the name at A0; D1 = the path buffer.
pathTo:
        movea.l dtg_PathArrayPtr(%a5),%a1
        clr.b   (%a1)
        move.l  %a0,-(%sp)
        DTG_CALL dtg_CopyDir
        movea.l (%sp)+,%a0
        movea.l dtg_CopyString(%a5),%a1
        jsr     (%a1)
        move.l  dtg_PathArrayPtr(%a5),%d1
        rts

| Read(D1 handle, buffer, D3 bytes) -> D0.
readTo:
        move.l  #buffer,%d2
        jsr     _LVORead(%a6)
        rts

initPlayer:
        movea.l dtg_ChkData(%a5),%a4
        lea     RESULTS(%a4),%a4
        movea.l dtg_DOSBase(%a5),%a6
        move.w  #428,period

        lea     dataName(%pc),%a0
        bsr     pathTo
        move.l  #MODE_OLDFILE,%d2
        jsr     _LVOOpen(%a6)
        move.l  %d0,0(%a4)
        beq.s   1f
        move.l  %d0,%d7
        move.l  %d7,%d1
        moveq   #8,%d3
        bsr     readTo
        move.l  %d0,4(%a4)
        move.l  buffer,8(%a4)
        move.l  %d7,%d1
        moveq   #-4,%d2
        moveq   #OFFSET_END,%d3
        jsr     _LVOSeek(%a6)
        move.l  %d0,12(%a4)
        move.l  %d7,%d1
        moveq   #4,%d3
        bsr     readTo
        move.l  buffer,16(%a4)
        move.l  %d7,%d1
        jsr     _LVOClose(%a6)
1:
        lea     dataName(%pc),%a0
        bsr     pathTo
        move.l  #MODE_NEWFILE,%d2
        jsr     _LVOOpen(%a6)
        move.l  %d0,20(%a4)

| Lock the module's directory, make it current, open a bare name.
        move.l  dtg_DirArrayPtr(%a5),%d1
        moveq   #ACCESS_READ,%d2
        jsr     _LVOLock(%a6)
        move.l  %d0,24(%a4)
        move.l  %d0,%d1
        jsr     _LVOCurrentDir(%a6)
        move.l  #dataName,%d1
        move.l  #MODE_OLDFILE,%d2
        jsr     _LVOOpen(%a6)
        move.l  %d0,28(%a4)
        beq.s   2f
        move.l  %d0,%d7
        move.l  %d7,%d1
        moveq   #4,%d3
        bsr     readTo
        move.l  buffer,32(%a4)
        move.l  %d7,%d1
        jsr     _LVOClose(%a6)
2:      moveq   #1,%d1
        jsr     _LVOUnLock(%a6)
        moveq   #0,%d1
        jsr     _LVOCurrentDir(%a6)

        move.l  #configName,%d1
        move.l  #MODE_OLDFILE,%d2
        jsr     _LVOOpen(%a6)
        move.l  %d0,36(%a4)
        beq.s   4f
        move.l  %d0,%d7
        move.l  %d7,%d1
        moveq   #8,%d3
        bsr     readTo
        move.l  buffer,40(%a4)
        lea     buffer+4,%a0
        moveq   #0,%d0
        moveq   #3,%d2
3:      mulu    #10,%d0
        moveq   #0,%d1
        move.b  (%a0)+,%d1
        subi.b  #0x30,%d1
        add.w   %d1,%d0
        dbf     %d2,3b
        move.w  %d0,period
        move.l  %d0,44(%a4)
        move.l  %d7,%d1
        jsr     _LVOClose(%a6)
4:
        lea     segmentName(%pc),%a0
        bsr     pathTo
        jsr     _LVOLoadSeg(%a6)
        move.l  %d0,48(%a4)
        beq.s   5f
        lsl.l   #2,%d0
        movea.l %d0,%a0
        jsr     4(%a0)
        move.l  %d0,52(%a4)
5:      moveq   #0,%d0
        rts

initSound:
        START_TONE period
        rts

endSound:
        STOP_TONE
        rts

interrupt:
        rts

        .data
        WAVE_DATA

        .bss
period: .space  2
buffer: .space  16
