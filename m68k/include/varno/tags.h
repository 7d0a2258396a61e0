/* Tag ids of the DeliTracker and EaglePlayer player interface, for the tag list a
   player's header points to: pairs of longs (tag id, value) ended by TAG_DONE.
   Usable from .S files (through the C preprocessor) and from C.

   A player names its routines and properties with these, for example
       .long   DTP_PlayerName, name
       .long   DTP_Check2, check
       .long   DTP_Interrupt, interrupt
       .long   TAG_DONE
   Routine values are addresses of routines that end with RTS and are entered with
   A5 = the DeliBase structure (varno/delibase.h). Ids outside these two ranges are
   skipped by the host. */
#ifndef VARNO_TAGS_H
#define VARNO_TAGS_H

#define TAG_DONE 0

/* DeliTracker tags: DTP_TagBase + 0 .. 57. */
#define DTP_TagBase 0x80004454

#define DTP_InternalPlayer     0x80004454 /* +0 */
#define DTP_CustomPlayer       0x80004455 /* +1 */
#define DTP_RequestDTVersion   0x80004456 /* +2 */
#define DTP_RequestKickVersion 0x80004457 /* +3 */
#define DTP_PlayerVersion      0x80004458 /* +4 */
#define DTP_PlayerName         0x80004459 /* +5 */
#define DTP_Creator            0x8000445A /* +6 */
#define DTP_Check1             0x8000445B /* +7 */
#define DTP_Check2             0x8000445C /* +8 */
#define DTP_ExtLoad            0x8000445D /* +9 */
#define DTP_Interrupt          0x8000445E /* +10 */
#define DTP_Stop               0x8000445F /* +11 */
#define DTP_Config             0x80004460 /* +12 */
#define DTP_UserConfig         0x80004461 /* +13 */
#define DTP_SubSongRange       0x80004462 /* +14 */
#define DTP_InitPlayer         0x80004463 /* +15 */
#define DTP_EndPlayer          0x80004464 /* +16 */
#define DTP_InitSound          0x80004465 /* +17 */
#define DTP_EndSound           0x80004466 /* +18 */
#define DTP_StartInt           0x80004467 /* +19 */
#define DTP_StopInt            0x80004468 /* +20 */
#define DTP_Volume             0x80004469 /* +21 */
#define DTP_Balance            0x8000446A /* +22 */
#define DTP_Faster             0x8000446B /* +23 */
#define DTP_Slower             0x8000446C /* +24 */
#define DTP_NextPatt           0x8000446D /* +25 */
#define DTP_PrevPatt           0x8000446E /* +26 */
#define DTP_NextSong           0x8000446F /* +27 */
#define DTP_PrevSong           0x80004470 /* +28 */
#define DTP_SubSongTest        0x80004471 /* +29 */
#define DTP_NewSubSongRange    0x80004472 /* +30 */
#define DTP_DeliBase           0x80004473 /* +31 */
#define DTP_Flags              0x80004474 /* +32 */
#define DTP_CheckLen           0x80004475 /* +33 */
#define DTP_Description        0x80004476 /* +34 */
#define DTP_Decrunch           0x80004477 /* +35 */
#define DTP_Convert            0x80004478 /* +36 */
#define DTP_NotePlayer         0x80004479 /* +37 */
#define DTP_NoteStruct         0x8000447A /* +38 */
#define DTP_NoteInfo           0x8000447B /* +39 */
#define DTP_NoteSignal         0x8000447C /* +40 */
#define DTP_Process            0x8000447D /* +41 */
#define DTP_Priority           0x8000447E /* +42 */
#define DTP_StackSize          0x8000447F /* +43 */
#define DTP_MsgPort            0x80004480 /* +44 */
#define DTP_Appear             0x80004481 /* +45 */
#define DTP_Disappear          0x80004482 /* +46 */
#define DTP_ModuleName         0x80004483 /* +47 */
#define DTP_FormatName         0x80004484 /* +48 */
#define DTP_AuthorName         0x80004485 /* +49 */
#define DTP_InitNote           0x80004486 /* +50 */
#define DTP_NoteAllocMem       0x80004487 /* +51 */
#define DTP_NoteFreeMem        0x80004488 /* +52 */
#define DTP_PlayerInfo         0x80004489 /* +53 */
#define DTP_Patterns           0x8000448A /* +54 */
#define DTP_Duration           0x8000448B /* +55 */
#define DTP_SampleData         0x8000448C /* +56 */
#define DTP_MiscText           0x8000448D /* +57 */

/* EaglePlayer tags: EP_TagBase + 0 .. 46. */
#define EP_TagBase 0x80004550

#define EP_GetModuleInfo       0x80004550 /* +0 */
#define EP_FreeModuleInfo      0x80004551 /* +1 */
#define EP_Voices              0x80004552 /* +2 */
#define EP_SampleInit          0x80004553 /* +3 */
#define EP_SampleEnd           0x80004554 /* +4 */
#define EP_Save                0x80004555 /* +5 */
#define EP_ModuleChange        0x80004556 /* +6 */
#define EP_ModuleRestore       0x80004557 /* +7 */
#define EP_StructInit          0x80004558 /* +8 */
#define EP_StructEnd           0x80004559 /* +9 */
#define EP_LoadPlConfig        0x8000455A /* +10 */
#define EP_SavePlConfig        0x8000455B /* +11 */
#define EP_GetPositionNr       0x8000455C /* +12 */
#define EP_SetSpeed            0x8000455D /* +13 */
#define EP_Flags               0x8000455E /* +14 */
#define EP_KickVersion         0x8000455F /* +15 */
#define EP_PlayerVersion       0x80004560 /* +16 */
#define EP_CheckModule         0x80004561 /* +17 */
#define EP_EjectPlayer         0x80004562 /* +18 */
#define EP_Date                0x80004563 /* +19 */
#define EP_Check3              0x80004564 /* +20 */
#define EP_SaveAsPT            0x80004565 /* +21 */
#define EP_NewModuleInfo       0x80004566 /* +22 */
#define EP_FreeExtLoad         0x80004567 /* +23 */
#define EP_PlaySample          0x80004568 /* +24 */
#define EP_PatternInit         0x80004569 /* +25 */
#define EP_PatternEnd          0x8000456A /* +26 */
#define EP_Check4              0x8000456B /* +27 */
#define EP_Check5              0x8000456C /* +28 */
#define EP_Check6              0x8000456D /* +29 */
#define EP_CreatorLNr          0x8000456E /* +30 */
#define EP_PlayerNameLNr       0x8000456F /* +31 */
#define EP_PlayerInfo          0x80004570 /* +32 */
#define EP_PlaySampleInit      0x80004571 /* +33 */
#define EP_PlaySampleEnd       0x80004572 /* +34 */
#define EP_InitAmplifier       0x80004573 /* +35 */
#define EP_CheckSegment        0x80004574 /* +36 */
#define EP_Show                0x80004575 /* +37 */
#define EP_Hide                0x80004576 /* +38 */
#define EP_LocaleTable         0x80004577 /* +39 */
#define EP_Helpnodename        0x80004578 /* +40 */
#define EP_AttnFlags           0x80004579 /* +41 */
#define EP_EagleBase           0x8000457A /* +42 */
#define EP_Check7              0x8000457B /* +43 */
#define EP_Check8              0x8000457C /* +44 */
#define EP_SetPlayFrequency    0x8000457D /* +45 */
#define EP_SamplePlayer        0x8000457E /* +46 */

/* Module information lists (returned by EP_GetModuleInfo in A0, or pointed to by
   EP_NewModuleInfo) are tag lists too: what a player knows of the song. Texts are
   addresses of zero-terminated texts, counts are plain numbers. The host reads the
   format prefix such as "mod." (a text of at most 7 characters before or after a
   dot) when the player loads, and the rest once a module is set up. */
#define MI_TagBase 0x80004D49

#define MI_SongName            0x80004D49 /* +0: the song's own name */
#define MI_AuthorName          0x80004D4A /* +1: who wrote the song */
#define MI_SubSongs            0x80004D4B /* +2 */
#define MI_Pattern             0x80004D4C /* +3: patterns (blocks, tracks) in the song */
#define MI_MaxPattern          0x80004D4D /* +4 */
#define MI_Length              0x80004D4E /* +5: positions in the song's order list */
#define MI_MaxLength           0x80004D4F /* +6 */
#define MI_Steps               0x80004D50 /* +7 */
#define MI_MaxSteps            0x80004D51 /* +8 */
#define MI_Samples             0x80004D52 /* +9: samples or instruments */
#define MI_MaxSamples          0x80004D53 /* +10 */
#define MI_SynthSamples        0x80004D54 /* +11 */
#define MI_MaxSynthSamples     0x80004D55 /* +12 */
#define MI_Songsize            0x80004D56 /* +13 */
#define MI_SamplesSize         0x80004D57 /* +14 */
#define MI_Calcsize            0x80004D58 /* +15 */
#define MI_SpecialInfo         0x80004D59 /* +16: a free text */
#define MI_LoadSize            0x80004D5A /* +17 */
#define MI_Unpacked            0x80004D5B /* +18 */
#define MI_UnPackedSystem      0x80004D5C /* +19 */
#define MI_Voices              0x80004D5D /* +20: the voices (channels) the song plays */
#define MI_MaxVoices           0x80004D5E /* +21 */
#define MI_Prefix              0x80004D5F /* +22: the file name prefix naming the format */
/* Varno's own: the name of one sample or instrument; the tag repeats once per
   sample, in the song's order, empty names included, so position n is sample n. */
#define MI_SampleName          0x80004DC0
/* Varno's own: the song's message (an annotation, a note to the listener), lines
   ended by line feeds; shown as a comment, never as its author. */
#define MI_Comment             0x80004DC1
/* Varno's own: the name shown for the song's format where one player plays more
   than one format (and the player's own name would name the wrong one). */
#define MI_FormatTitle         0x80004DC2

/* Bits of the DTP_Flags value. */
#define PLAYERF_CUSTOM 1  /* bit 0: the module carries its own player */
#define PLAYERF_SONGEND 2 /* bit 1: the player finds its song's end and calls dtg_SongEnd */

#endif
