| The kit's part of every player: the player's header, the entry points whose
| results the host reads from registers C does not return in, and the C-callable
| wrappers of the host's callbacks. C routines follow the m68k C convention:
| arguments on the stack, results in D0 (pointers in A0 as well), D0-D1/A0-A1 free.

#include <varno/player.h>

        DELIRIUM_HEADER kit_tags

        .text

| DTP_SubSongRange: D0 = the first subsong (0), D1 = the last.
        .globl  kit_subsong_range
kit_subsong_range:
        jsr     player_subsongs
        move.l  %d0,%d1
        beq.s   1f
        subq.l  #1,%d1
1:      moveq   #0,%d0
        rts

| EP_GetModuleInfo: A0 = the module-information tag list.
        .globl  kit_module_info
kit_module_info:
        jsr     kit_build_info
        movea.l %d0,%a0
        moveq   #0,%d0
        rts

| A callback of the host, entered with A5 = the DeliBase and the C caller's first
| argument in D0 and A0; its D0 is the result, its A0 is kept in kit_result_a0.
| The host's callbacks keep D2-D7/A2-A6, but a player may swap in other code, so
| everything C expects kept is kept here.
        .macro  CALLBACK name, offset
        .globl  \name
\name:
        movem.l %d2-%d7/%a2-%a6,-(%sp)
        move.l  48(%sp),%d0
        movea.l %d0,%a0
        movea.l kit_base,%a5
        movea.l \offset(%a5),%a1
        jsr     (%a1)
        move.l  %a0,kit_result_a0
        movem.l (%sp)+,%d2-%d7/%a2-%a6
        rts
        .endm

        CALLBACK kit_call_song_end, dtg_SongEnd
        CALLBACK kit_call_set_timer, dtg_SetTimer
        CALLBACK kit_call_audio_alloc, dtg_AudioAlloc
        CALLBACK kit_call_audio_free, dtg_AudioFree
        CALLBACK kit_call_wait_audio_dma, dtg_WaitAudioDMA
        CALLBACK kit_call_get_list_data, dtg_GetListData
        CALLBACK kit_call_load_file, dtg_LoadFile
        CALLBACK kit_call_copy_dir, dtg_CopyDir
        CALLBACK kit_call_copy_string, dtg_CopyString

        .bss
        .globl  kit_result_a0
kit_result_a0:
        .space  4
