| Calls into dos.library the way replay routines make them: JSR to negative
| offsets from the base that exec's OpenLibrary gave. Each entry is one
| scenario, reached at code + 4 x n through the branch table below; the tests
| read the results from the `results` area (16 longs).

#include <varno/dos.h>
#include <varno/exec.h>

        .text
        .globl  start
start:
        bra.w   results_address         | 0
        bra.w   file_calls              | 1
        bra.w   directory_calls         | 2
        bra.w   load_segment            | 3

| D0 = address of the results area.
results_address:
        move.l  #results,%d0
        rts

| A6 = dos.library, from OpenLibrary.
open_dos:
        movea.l AbsExecBase.w,%a6
        lea     dosname,%a1
        moveq   #0,%d0
        jsr     _LVOOpenLibrary(%a6)
        movea.l %d0,%a6
        rts

| Open "data/file.bin"; Read 8 bytes; Seek -4 from the end; Read 4 bytes;
| Seek with OFFSET_CURRENT -2; Read 2; Close. Results:
|   +0 handle     +4 first Read count   +8 first long read   +12 second long read
|   +16 Seek from the end: old position  +20 second Read count
|   +24 Seek from the current position: old position  +28 the word read then
|   +32 Close's D0 (0)
file_calls:
        bsr     open_dos
        lea     results,%a4
        move.l  #dataname,%d1
        move.l  #MODE_OLDFILE,%d2
        jsr     _LVOOpen(%a6)
        move.l  %d0,0(%a4)
        beq.s   1f
        move.l  %d0,%d7
        move.l  %d7,%d1
        move.l  #buffer,%d2
        moveq   #8,%d3
        jsr     _LVORead(%a6)
        move.l  %d0,4(%a4)
        move.l  buffer,8(%a4)
        move.l  buffer+4,12(%a4)
        move.l  %d7,%d1
        moveq   #-4,%d2
        moveq   #OFFSET_END,%d3
        jsr     _LVOSeek(%a6)
        move.l  %d0,16(%a4)
        move.l  %d7,%d1
        move.l  #buffer,%d2
        moveq   #4,%d3
        jsr     _LVORead(%a6)
        move.l  %d0,20(%a4)
        move.l  %d7,%d1
        moveq   #-2,%d2
        moveq   #OFFSET_CURRENT,%d3
        jsr     _LVOSeek(%a6)
        move.l  %d0,24(%a4)
        move.l  %d7,%d1
        move.l  #buffer,%d2
        moveq   #2,%d3
        jsr     _LVORead(%a6)
        move.w  buffer,30(%a4)
        move.l  %d7,%d1
        moveq   #-1,%d0
        jsr     _LVOClose(%a6)
        move.l  %d0,32(%a4)
1:      rts

| Lock "data/"; CurrentDir; Open the bare name "inner.bin" and read its first
| long; Close; UnLock and CurrentDir back to no directory; then Open the bare
| name once more. Results:
|   +0 Lock   +4 CurrentDir's D0   +8 handle   +12 the long read
|   +16 handle of the second Open (0: no directory any more)
directory_calls:
        bsr     open_dos
        lea     results,%a4
        move.l  #dirname,%d1
        moveq   #ACCESS_READ,%d2
        jsr     _LVOLock(%a6)
        move.l  %d0,0(%a4)
        move.l  %d0,%d1
        moveq   #-1,%d0
        jsr     _LVOCurrentDir(%a6)
        move.l  %d0,4(%a4)
        move.l  #innername,%d1
        move.l  #MODE_OLDFILE,%d2
        jsr     _LVOOpen(%a6)
        move.l  %d0,8(%a4)
        beq.s   1f
        move.l  %d0,%d7
        move.l  %d7,%d1
        move.l  #buffer,%d2
        moveq   #4,%d3
        jsr     _LVORead(%a6)
        move.l  buffer,12(%a4)
        move.l  %d7,%d1
        jsr     _LVOClose(%a6)
1:      move.l  0(%a4),%d1
        jsr     _LVOUnLock(%a6)
        moveq   #0,%d1
        jsr     _LVOCurrentDir(%a6)
        move.l  #innername,%d1
        move.l  #MODE_OLDFILE,%d2
        jsr     _LVOOpen(%a6)
        move.l  %d0,16(%a4)
        rts

| LoadSeg "data/segment"; call the code of its first segment (the long after
| the link field); its D0 is the result. Results:
|   +0 segment list (BCPL pointer)   +4 D0 of the loaded code
load_segment:
        bsr     open_dos
        lea     results,%a4
        move.l  #segmentname,%d1
        jsr     _LVOLoadSeg(%a6)
        move.l  %d0,0(%a4)
        beq.s   1f
        lsl.l   #2,%d0
        movea.l %d0,%a0
        jsr     4(%a0)
        move.l  %d0,4(%a4)
1:      rts

dosname:
        .asciz  "dos.library"
dataname:
        .asciz  "data/file.bin"
dirname:
        .asciz  "data/"
innername:
        .asciz  "inner.bin"
segmentname:
        .asciz  "data/segment"
        .even

        .bss
results:
        .space  64
buffer:
        .space  16
