| The include files' values as data, in a fixed order, so the tools tests can hold
| them against the documented values. Keep the order in step with the test.

#include <varno/player.h>
#include <varno/exec.h>
#include <varno/dos.h>
#include <varno/cia.h>
#include <varno/custom.h>
#include <varno/graphics.h>

        .data
tag_ids:
        .long   DTP_InternalPlayer, DTP_CustomPlayer, DTP_PlayerName, DTP_Creator
        .long   DTP_Check1, DTP_Check2, DTP_ExtLoad, DTP_Interrupt
        .long   DTP_Config, DTP_SubSongRange, DTP_InitPlayer, DTP_EndPlayer
        .long   DTP_InitSound, DTP_EndSound, DTP_StartInt, DTP_StopInt
        .long   DTP_Volume, DTP_Balance, DTP_NextSong, DTP_NewSubSongRange
        .long   DTP_DeliBase, DTP_Flags, DTP_NotePlayer, DTP_Process
        .long   DTP_ModuleName, DTP_MiscText
        .long   EP_GetModuleInfo, EP_Voices, EP_Flags, EP_Check3
        .long   EP_NewModuleInfo, EP_InitAmplifier, EP_EagleBase, EP_SamplePlayer
        .long   MI_Prefix, TAG_DONE
library_vectors:
        .long   _LVOSetIntVector, _LVOAddIntServer, _LVOCause, _LVOAllocMem
        .long   _LVOFreeMem, _LVOOldOpenLibrary, _LVOOpenResource, _LVOTypeOfMem
        .long   _LVOOpenLibrary, _LVOFindTask, _LVOAllocVec
        .long   _LVOOpen, _LVOClose, _LVORead, _LVOSeek
        .long   _LVOLock, _LVOUnLock, _LVOCurrentDir, _LVOLoadSeg
        .long   _LVOAddICRVector, _LVORemICRVector, _LVOAbleICR, _LVOSetICR
        .long   MODE_OLDFILE, MODE_NEWFILE, OFFSET_BEGINNING, OFFSET_END
hardware:
        .long   CUSTOM_BASE, DMACON, INTENA, INTREQ
        .long   AUD0LCH, AUD0LEN, AUD0PER, AUD0VOL
        .long   AUD1LCH, AUD2LCH, AUD3LCH, AUD3VOL
        .long   DMAF_SETCLR+DMAF_AUDIO, INTF_AUD0, INTF_AUD3, INTF_INTEN
        .long   CIAA_BASE, CIAB_BASE, ciatalo, ciatahi
        .long   ciatblo, ciatbhi, ciaicr, ciacra
        .long   ciacrb
structures:
        .long   dtg_DOSBase, dtg_GfxBase, dtg_DirArrayPtr, dtg_FileArrayPtr
        .long   dtg_PathArrayPtr, dtg_ChkData, dtg_ChkSize, dtg_SndNum
        .long   dtg_Timer, dtg_GetListData, dtg_LoadFile, dtg_CopyDir
        .long   dtg_CopyFile, dtg_CopyString, dtg_SongEnd, dtg_SetTimer
        .long   dtg_LoadFile2, dtg_PatchCode, dtg_PatchArgs, dtg_Voices
        .long   dtg_TimerInterrupt, dtg_AudioInterrupts
        .long   IS_DATA, IS_CODE, IS_SIZE, AbsExecBase
        .long   INTB_VERTB, INTB_AUD0, INTB_AUD3, gb_DisplayFlags
