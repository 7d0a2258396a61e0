| Shared pieces of the project's test players: the magic check, a square-wave tone
| on channel 0, and the result area. Each player writes what it saw into the module
| data from offset RESULTS on (the test modules are at least 128 bytes long), where
| the tests read it back from emulated memory.

#include <varno/player.h>
#include <varno/custom.h>
#include <varno/exec.h>

#define RESULTS 16

| D0 = 0 when the data to check begins with the four-character magic, else -1.
        .macro  CHECK_MAGIC magic
        moveq   #-1,%d0
        cmpi.l  #4,dtg_ChkSize(%a5)
        blo.s   9f
        movea.l dtg_ChkData(%a5),%a0
        cmpi.l  #\magic,(%a0)
        bne.s   9f
        moveq   #0,%d0
9:      rts
        .endm

| Starts the 16-byte square wave at label `wave` on channel 0 at full volume, with the
| period taken from the given operand (a word). Uses A0.
        .macro  START_TONE period
        lea     CUSTOM_BASE,%a0
        move.w  #DMAF_AUD0,DMACON(%a0)
        move.l  #wave,AUD0LCH(%a0)
        move.w  #8,AUD0LEN(%a0)
        move.w  \period,AUD0PER(%a0)
        move.w  #64,AUD0VOL(%a0)
        move.w  #DMAF_SETCLR+DMAF_MASTER+DMAF_AUD0,DMACON(%a0)
        .endm

        .macro  STOP_TONE
        lea     CUSTOM_BASE,%a0
        move.w  #DMAF_AUDIO,DMACON(%a0)
        .endm

| One cycle of a square wave, for .data.
        .macro  WAVE_DATA
wave:
        .byte   100, 100, 100, 100, 100, 100, 100, 100
        .byte   -100, -100, -100, -100, -100, -100, -100, -100
        .endm

