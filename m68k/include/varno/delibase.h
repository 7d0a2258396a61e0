/* The DeliBase structure: what a player finds in A5 when any of its routines runs,
   and what the host writes to the long named by DTP_DeliBase or EP_EagleBase.
   Offsets from the base, usable from .S files and from C. Names follow the dtg_
   style of DeliTracker's own includes where the field is DeliTracker's; the rest
   are ours and say what the host puts there.

   Callbacks are called through the long at their offset, with A5 still the base:
       movea.l dtg_SongEnd(%a5),%a0
       jsr     (%a0)
   Each returns with the condition codes set from D0 (TST.L D0). */
#ifndef VARNO_DELIBASE_H
#define VARNO_DELIBASE_H

/* ---- Libraries ---------------------------------------------------------------- */
#define dtg_DOSBase             4   /* long: dos.library base */
#define dtg_GfxBase             12  /* long: graphics.library base */

/* ---- The module -------------------------------------------------------------- */
#define dtg_DirArrayPtr         24  /* long: address of the module's directory text (512-byte buffer) */
#define dtg_FileArrayPtr        28  /* long: address of the module's file name text (512-byte buffer) */
#define dtg_PathArrayPtr        32  /* long: address of the path buffer (512 bytes) that
                                       dtg_CopyDir, dtg_CopyFile and dtg_CopyString append to */
#define dtg_ChkData             36  /* long: address of the module data to check or play */
#define dtg_ChkSize             40  /* long: size of that data in bytes (the whole file, even
                                       when a quick check places only its first 128 KB) */
#define dtg_CheckWindow         0x20000 /* bytes of a file present at dtg_ChkData while a
                                       check runs: its first 128 KB */
#define dtg_SndNum              44  /* word: current subsong number */
#define dtg_SndVol              46  /* word: volume, 0..64 (64) */
#define dtg_SndLBal             48  /* word: left balance, 0..64 (64) */
#define dtg_SndRBal             50  /* word: right balance, 0..64 (64) */
#define dtg_Timer               54  /* word: CIA timer value that dtg_SetTimer loads (14188, 50 Hz) */

/* ---- Callbacks (long: entry point) --------------------------------------------- */
#define dtg_GetListData         56  /* D0 = index -> A0 = address, D0 = size of that loaded
                                       file (index 0: the module); A0 = D0 = 0 past the last */
#define dtg_LoadFile            60  /* loads the file named in the path buffer as the next
                                       list entry; D0 = 0 on success, else non-zero */
#define dtg_CopyDir             64  /* appends the module's directory to the path buffer */
#define dtg_CopyFile            68  /* appends the module's file name to the path buffer */
#define dtg_CopyString          72  /* appends the text at A0 to the path buffer */
#define dtg_AudioAlloc          76  /* answered without action */
#define dtg_AudioFree           80  /* answered without action */
#define dtg_StartInt            84  /* answered without action */
#define dtg_StopInt             88  /* answered without action */
#define dtg_SongEnd             92  /* signals that the song has ended */
#define dtg_CutSuffix           96  /* answered without action */
#define dtg_SetTimer            100 /* loads dtg_Timer into CIA-B timer A: sets the tick length */
#define dtg_WaitAudioDMA        104 /* answered without action */
/* 108 .. 124 and 128 .. 180 hold further entry points; apart from the two below
   they are answered without action. */
#define dtg_LoadFile2           144 /* as dtg_LoadFile (EaglePlayer's entry for it) */
#define dtg_PatchCode           176 /* replaces code patterns; arguments at dtg_PatchArgs */

/* ---- Other fields ------------------------------------------------------------- */
#define dtg_ScratchPtr          268 /* long: address of a zeroed 70-byte area inside the structure */
#define dtg_PatchArgs           290 /* six longs: count (5), start address, length in bytes,
                                       patch table address, 1, -2; on failure the host
                                       clears the start address */
#define dtg_PatchStart          294 /* the second of them: start address, 0 after a failure */
#define dtg_Voices              326 /* word: enabled voices, bit n for channel n (15) */
#define dtg_Voice1Vol           328 /* word per channel: volume 0..64 (64) */
#define dtg_Voice2Vol           330
#define dtg_Voice3Vol           332
#define dtg_Voice4Vol           334
#define dtg_TimerInterrupt      500 /* Interrupt structure (IS_SIZE bytes, varno/exec.h) named
                                       "VarnoTimer"; the host puts DTP_Interrupt in its
                                       IS_CODE and registers it for CIA-B timer A */
#define dtg_AudioInterrupts     538 /* four longs: the Interrupt structures of audio channels
                                       0..3, as stored by exec SetIntVector */

/* The host reads the offsets above and not the C types below: its pointers are not
   the 68000's. */
#if !defined(__ASSEMBLER__) && !defined(VARNO_HOST)
#include <stddef.h>
#include <stdint.h>

/* The same structure as a C type: the fields carry the names above without their
   dtg_ prefix (which names the offsets). Callbacks are 68000 entry points that
   expect A5 = the structure; C reaches them through the player kit (varno/kit.h). */
struct DeliBase {
    void *AslBase, *DOSBase, *IntuitionBase, *GfxBase, *GadToolsBase, *ReservedLibraryBase;
    char *DirArrayPtr, *FileArrayPtr, *PathArrayPtr;
    const uint8_t *ChkData;
    uint32_t ChkSize;
    uint16_t SndNum, SndVol, SndLBal, SndRBal, LED, Timer;
    uint32_t GetListData, LoadFile, CopyDir, CopyFile, CopyString, AudioAlloc, AudioFree, StartInt, StopInt,
        SongEnd, CutSuffix, SetTimer, WaitAudioDMA;
};

_Static_assert(offsetof(struct DeliBase, DOSBase) == dtg_DOSBase, "dtg_DOSBase");
_Static_assert(offsetof(struct DeliBase, DirArrayPtr) == dtg_DirArrayPtr, "dtg_DirArrayPtr");
_Static_assert(offsetof(struct DeliBase, ChkSize) == dtg_ChkSize, "dtg_ChkSize");
_Static_assert(offsetof(struct DeliBase, SndNum) == dtg_SndNum, "dtg_SndNum");
_Static_assert(offsetof(struct DeliBase, Timer) == dtg_Timer, "dtg_Timer");
_Static_assert(offsetof(struct DeliBase, GetListData) == dtg_GetListData, "dtg_GetListData");
_Static_assert(offsetof(struct DeliBase, SongEnd) == dtg_SongEnd, "dtg_SongEnd");
_Static_assert(offsetof(struct DeliBase, WaitAudioDMA) == dtg_WaitAudioDMA, "dtg_WaitAudioDMA");
#endif

#endif
