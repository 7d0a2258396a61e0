/* Everything a DeliTracker/EaglePlayer player needs: the tag ids, the DeliBase
   offsets, and (in .S files) macros for the player header. Include it first.

   The host finds a player by the header at the first byte of its first code hunk:
   4 bytes of code (it returns at once if run), "DELIRIUM" or "EPPLAYER", then the
   address of the tag list. In a .S file:
       #include <varno/player.h>
               DELIRIUM_HEADER tags
       tags:   .long   DTP_PlayerName, name
               ...
               .long   TAG_DONE
   The macro puts the header into section .text.header, which the linker script
   places first, so it leads the code wherever the line stands. */
#ifndef VARNO_PLAYER_H
#define VARNO_PLAYER_H

#include <varno/delibase.h>
#include <varno/tags.h>

#ifdef __ASSEMBLER__
        .macro  _VARNO_PLAYER_HEADER id, tags
        .pushsection .text.header,"ax",@progbits
        moveq   #-1,%d0
        rts
        .ascii  "\id"
        .long   \tags
        .popsection
        .endm

        /* A DeliTracker player: tags from DTP_ (and EP_) ids. */
        .macro  DELIRIUM_HEADER tags
        _VARNO_PLAYER_HEADER DELIRIUM, \tags
        .endm

        /* An EaglePlayer player. */
        .macro  EPPLAYER_HEADER tags
        _VARNO_PLAYER_HEADER EPPLAYER, \tags
        .endm

        /* Calls the DeliBase callback at the given offset (A5 = the base); uses A0. */
        .macro  DTG_CALL offset
        movea.l \offset(%a5),%a0
        jsr     (%a0)
        .endm
#else
/* From C, fields are read and written through the base that the assembly routine
   entered with A5 passes on: DTG_LONG(base, dtg_ChkData). Callbacks expect A5 =
   the base, so C code leaves them to assembly glue. */
#define DTG_LONG(base, offset) (*(volatile unsigned long *)((volatile char *)(base) + (offset)))
#define DTG_WORD(base, offset) (*(volatile unsigned short *)((volatile char *)(base) + (offset)))
#endif

#endif
