/* The two 8520 CIAs for 68000 code: the ciaa.resource and ciab.resource vectors,
   the chips' register addresses and their bits. Usable from .S files and from C.

   A player claims a timer interrupt through the resource,
       lea     ciabName(%pc),%a1
       movea.l AbsExecBase,%a6
       jsr     _LVOOpenResource(%a6)
       movea.l %d0,%a6
       lea     timerInterrupt(%pc),%a1      | an Interrupt structure, IS_CODE set
       moveq   #CIAICRB_TA,%d0
       jsr     _LVOAddICRVector(%a6)
   and then writes the timer's latch (CIAB_BASE + ciatalo / ciatahi): the latch
   value sets the length of every tick at 709379 counts per second. */
#ifndef VARNO_CIA_H
#define VARNO_CIA_H

/* ---- Resource vectors (A6 = the base from OpenResource) ----------------------- */
#define _LVOAddICRVector        (-6)  /* D0 ICR bit, A1 Interrupt -> D0 0, or -1 for another bit */
#define _LVORemICRVector        (-12)
#define _LVOAbleICR             (-18) /* D0 mask (bit 7 set: enable) -> D0 old mask */
#define _LVOSetICR              (-24)

/* ---- Chip addresses --------------------------------------------------------- */
#define CIAA_BASE               0xBFE001 /* CIA-A sits on the odd bytes */
#define CIAB_BASE               0xBFD000 /* CIA-B sits on the even bytes */

/* Register offsets from either base. */
#define ciapra                  0x0000
#define ciaprb                  0x0100
#define ciaddra                 0x0200
#define ciaddrb                 0x0300
#define ciatalo                 0x0400
#define ciatahi                 0x0500
#define ciatblo                 0x0600
#define ciatbhi                 0x0700
#define ciatodlow               0x0800
#define ciatodmid               0x0900
#define ciatodhi                0x0A00
#define ciasdr                  0x0C00
#define ciaicr                  0x0D00
#define ciacra                  0x0E00
#define ciacrb                  0x0F00

/* ---- Bits ------------------------------------------------------------------- */
#define CIAICRB_TA              0
#define CIAICRB_TB              1
#define CIAICRF_TA              (1 << 0)
#define CIAICRF_TB              (1 << 1)
#define CIAICRF_SETCLR          (1 << 7)

#define CIACRAF_START           (1 << 0)
#define CIACRAF_RUNMODE         (1 << 3) /* one-shot */
#define CIACRAF_LOAD            (1 << 4) /* force load of the latch */
#define CIACRBF_START           (1 << 0)

/* CIA-A port A bit 1 switches the audio low-pass filter (and the power LED) off when set. */
#define CIAB_LED                1

#endif
