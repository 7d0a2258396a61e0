| Test player "VTS6": companion files through the player interface, and the code
| patch. InitPlayer builds paths in the path buffer (dtg_CopyDir, dtg_CopyFile,
| dtg_CopyString), loads "<dir>vts6.smp" with dtg_LoadFile (60) and
| "<dir><module name>.ins" with dtg_LoadFile2 (144), reads them back through
| dtg_GetListData (56), tries a file that is not there, and patches a routine of its
| own with dtg_PatchCode (176). The tone plays the loaded sample file from its fifth
| byte on. Results (longs from module + RESULTS):
|   +0  load of vts6.smp (0)             +4  list entry 1: size
|   +8  list entry 1: first long         +12 load of <name>.ins (0)
|   +16 list entry 2: first long         +20 list entry 2: size
|   +24 load of a missing file (255)     +28 list entry 3: D0 (0)
|   +32 list entry 3: A0 (0)             +36 list entry 0: size (the module)
|   +40 patched routine's D0 (7)         +44 patch start after bad arguments (0)
|   +48 patched routine's D0 before the patch (1)

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
        .asciz  "Varno Test Files"
sampleName:
        .asciz  "vts6.smp"
insSuffix:
        .asciz  ".ins"
missingName:
        .asciz  "vts6.none"
        .even

check:  CHECK_MAGIC 0x56545336

| Empties the path buffer.
clearPath:
        movea.l dtg_PathArrayPtr(%a5),%a0
        clr.b   (%a0)
        rts

initPlayer:
        movea.l dtg_ChkData(%a5),%a4
        lea     RESULTS(%a4),%a4
        bsr.s   clearPath
        DTG_CALL dtg_CopyDir
        lea     sampleName(%pc),%a0
        movea.l dtg_CopyString(%a5),%a1
        jsr     (%a1)
        DTG_CALL dtg_LoadFile
        move.l  %d0,0(%a4)
        moveq   #1,%d0
        DTG_CALL dtg_GetListData
        move.l  %d0,4(%a4)
        move.l  %a0,sample
        move.l  (%a0),8(%a4)

        bsr.s   clearPath
        DTG_CALL dtg_CopyDir
        DTG_CALL dtg_CopyFile
        lea     insSuffix(%pc),%a0
        movea.l dtg_CopyString(%a5),%a1
        jsr     (%a1)
        DTG_CALL dtg_LoadFile2
        move.l  %d0,12(%a4)
        moveq   #2,%d0
        DTG_CALL dtg_GetListData
        move.l  %d0,20(%a4)
        move.l  (%a0),16(%a4)

        bsr.s   clearPath
        DTG_CALL dtg_CopyDir
        lea     missingName(%pc),%a0
        movea.l dtg_CopyString(%a5),%a1
        jsr     (%a1)
        DTG_CALL dtg_LoadFile
        move.l  %d0,24(%a4)
        moveq   #3,%d0
        DTG_CALL dtg_GetListData
        move.l  %d0,28(%a4)
        move.l  %a0,32(%a4)
        moveq   #0,%d0
        DTG_CALL dtg_GetListData
        move.l  %d0,36(%a4)

        bsr     patchMe
        move.l  %d0,48(%a4)
| Wrong arguments first (a count of 4): the host must refuse and clear the start.
        lea     dtg_PatchArgs(%a5),%a0
        move.l  #4,(%a0)+
        move.l  #patchMe,(%a0)+
        move.l  #patchMeEnd-patchMe,(%a0)+
        move.l  #patchTable,(%a0)+
        move.l  #1,(%a0)+
        move.l  #-2,(%a0)
        DTG_CALL dtg_PatchCode
        move.l  dtg_PatchStart(%a5),44(%a4)
        lea     dtg_PatchArgs(%a5),%a0
        move.l  #5,(%a0)+
        move.l  #patchMe,(%a0)+
        move.l  #patchMeEnd-patchMe,(%a0)+
        move.l  #patchTable,(%a0)+
        move.l  #1,(%a0)+
        move.l  #-2,(%a0)
        DTG_CALL dtg_PatchCode
        bsr     patchMe
        move.l  %d0,40(%a4)
        moveq   #0,%d0
        rts

| Gives 1; the patch turns its MOVEQ and the two NOPs into a JSR to `replacement`.
patchMe:
        moveq   #1,%d0
        nop
        nop
        rts
patchMeEnd:

replacement:
        moveq   #7,%d0
        rts

| One entry (pattern offset, pattern words - 1, replacement offset; relative to the
| table), then the end mark.
patchTable:
        .word   pattern-patchTable, 0, replacement-patchTable
        .word   0, 0, 0
pattern:
        moveq   #1,%d0

| The sample file is "SMP6" and 60 bytes of sound.
initSound:
        lea     CUSTOM_BASE,%a0
        move.w  #DMAF_AUD0,DMACON(%a0)
        movea.l sample,%a1
        addq.l  #4,%a1
        move.l  %a1,AUD0LCH(%a0)
        move.w  #30,AUD0LEN(%a0)
        move.w  #428,AUD0PER(%a0)
        move.w  #64,AUD0VOL(%a0)
        move.w  #DMAF_SETCLR+DMAF_MASTER+DMAF_AUD0,DMACON(%a0)
        rts

endSound:
        STOP_TONE
        rts

interrupt:
        rts

        .bss
sample: .space  4
