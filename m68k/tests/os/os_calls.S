| Calls into the emulated AmigaOS the way replay routines make them. Each entry
| is one scenario, reached at code + 4 x n through the branch table below; the
| tests read the results from registers or from the `results` area.

#include <varno/cia.h>
#include <varno/delibase.h>
#include <varno/exec.h>

        .text
        .globl  start
start:
        bra.w   results_address         | 0
        bra.w   open_dos                | 1
        bra.w   alloc_twice             | 2
        bra.w   unimplemented_call      | 3
        bra.w   claim_ciab_timer        | 4
        bra.w   cause_soft_interrupt    | 5
        bra.w   player_callbacks        | 6
        bra.w   overwrite_vector        | 7
        bra.w   soft_interrupt_address  | 8
        bra.w   soft_count_value        | 9

| D0 = address of the results area (16 longs).
results_address:
        move.l  #results,%d0
        rts

| OpenLibrary("dos.library", 0). The copy in D1 is made by the very next
| instruction, so it shows D0 was set while the call ran.
open_dos:
        movea.l AbsExecBase.w,%a6
        lea     dosname,%a1
        moveq   #0,%d0
        jsr     _LVOOpenLibrary(%a6)
        move.l  %d0,%d1
        rts

| AllocMem(5) then AllocMem(4): D0 = first block, D1 = second.
alloc_twice:
        movea.l AbsExecBase.w,%a6
        moveq   #5,%d0
        moveq   #0,%d1
        jsr     _LVOAllocMem(%a6)
        move.l  %d0,-(%sp)
        moveq   #4,%d0
        moveq   #0,%d1
        jsr     _LVOAllocMem(%a6)
        move.l  %d0,%d1
        move.l  (%sp)+,%d0
        rts

| Every register a known value, exec -30 (no function), then all sixteen
| registers stored in results.
unimplemented_call:
        movea.l AbsExecBase.w,%a6
        move.l  #0x11111111,%d0
        move.l  #0x22222222,%d1
        move.l  #0x33333333,%d2
        move.l  #0x44444444,%d3
        move.l  #0x55555555,%d4
        move.l  #0x66666666,%d5
        move.l  #0x77777777,%d6
        move.l  #0x88888888,%d7
        movea.l #0xA0A0A0A0,%a0
        movea.l #0xA1A1A1A1,%a1
        movea.l #0xA2A2A2A2,%a2
        movea.l #0xA3A3A3A3,%a3
        movea.l #0xA4A4A4A4,%a4
        movea.l #0xA5A5A5A5,%a5
        jsr     -30(%a6)
        movem.l %d0-%d7/%a0-%a7,results
        rts

| OpenResource("ciab.resource"), then AddICRVector(timer A, timer_interrupt).
| D0 = the result, D1 = the Interrupt structure's address.
claim_ciab_timer:
        movea.l AbsExecBase.w,%a6
        lea     ciabname,%a1
        jsr     _LVOOpenResource(%a6)
        tst.l   %d0
        beq.s   1f
        movea.l %d0,%a6
        lea     timer_interrupt,%a1
        move.l  %a1,%d1
        moveq   #0,%d0
        jsr     _LVOAddICRVector(%a6)
1:      rts

| Cause(soft_interrupt) from running code: the server runs as an interrupt
| before the call returns. D0 = times the server ran, D1 = the A1 it saw,
| D2 = the A6 it saw.
cause_soft_interrupt:
        movea.l AbsExecBase.w,%a6
        lea     soft_interrupt,%a1
        jsr     _LVOCause(%a6)
        move.l  soft_count,%d0
        move.l  soft_seen_a1,%d1
        move.l  soft_seen_a6,%d2
        rts

soft_server:
        addq.l  #1,soft_count
        move.l  %a1,soft_seen_a1
        move.l  %a6,soft_seen_a6
        moveq   #-1,%d0                 | the interrupt stub restores every register
        rts

| Player-interface calls through A5: the vector at -96 answers D0 = 0 and its
| stub's TST.L D0 sets Z (D2 = 0xFF); song end; list data for a missing index
| (D0 = 0, A0 = 0, Z set: D3 = 0xFF).
player_callbacks:
        moveq   #5,%d0
        jsr     -96(%a5)
        seq     %d2
        movea.l dtg_SongEnd(%a5),%a0
        jsr     (%a0)
        moveq   #7,%d0
        movea.l dtg_GetListData(%a5),%a0
        jsr     (%a0)
        seq     %d3
        rts

| D0 = the software Interrupt structure, for Cause from native code.
soft_interrupt_address:
        move.l  #soft_interrupt,%d0
        rts

| D0 = how often the software-interrupt server has run.
soft_count_value:
        move.l  soft_count,%d0
        rts

| Tries to point the illegal-instruction vector at its own handler, then runs
| an illegal instruction: the write is dropped, so the call still ends in the
| trap window.
overwrite_vector:
        lea     own_handler,%a0
        move.l  %a0,0x10.w
        illegal
own_handler:
        rts

dosname:
        .asciz  "dos.library"
ciabname:
        .asciz  "ciab.resource"
        .even

        .data
| struct Interrupt: ln_Succ, ln_Pred, ln_Type, ln_Pri, ln_Name, is_Data, is_Code
timer_interrupt:
        .long   0, 0
        .byte   2, 0
        .long   0, 0, 0
soft_interrupt:
        .long   0, 0
        .byte   2, 0
        .long   0, soft_data, soft_server
soft_data:
        .long   0x50F7DA7A

        .bss
results:
        .space  64
soft_count:
        .space  4
soft_seen_a1:
        .space  4
soft_seen_a6:
        .space  4
