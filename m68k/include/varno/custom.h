/* The custom chips for 68000 code: register offsets from CUSTOM_BASE, spelled as the
   Amiga Hardware Reference Manual spells them, and the bits of the DMA and interrupt
   registers. Usable from .S files and from C:
       lea     CUSTOM_BASE,%a6
       move.w  #DMAF_AUD0,DMACON(%a6)       | channel 0 off
   Audio registers of channel n lie at AUD0LCH + n * AUD_STRIDE. In .S files combine
   bits with + (DMAF_SETCLR+DMAF_AUD0): the assembler reads | as a comment. */
#ifndef VARNO_CUSTOM_H
#define VARNO_CUSTOM_H

#define CUSTOM_BASE             0xDFF000

/* ---- Registers -------------------------------------------------------------- */
#define DMACONR                 0x002
#define VPOSR                   0x004
#define VHPOSR                  0x006
#define ADKCONR                 0x010
#define INTENAR                 0x01C
#define INTREQR                 0x01E
#define DMACON                  0x096
#define INTENA                  0x09A
#define INTREQ                  0x09C
#define ADKCON                  0x09E

#define AUD0LCH                 0x0A0 /* sample start, long (with AUD0LCL) */
#define AUD0LCL                 0x0A2
#define AUD0LEN                 0x0A4 /* length in words */
#define AUD0PER                 0x0A6 /* period in colour clocks */
#define AUD0VOL                 0x0A8 /* volume 0..64 */
#define AUD0DAT                 0x0AA
#define AUD1LCH                 0x0B0
#define AUD1LCL                 0x0B2
#define AUD1LEN                 0x0B4
#define AUD1PER                 0x0B6
#define AUD1VOL                 0x0B8
#define AUD1DAT                 0x0BA
#define AUD2LCH                 0x0C0
#define AUD2LCL                 0x0C2
#define AUD2LEN                 0x0C4
#define AUD2PER                 0x0C6
#define AUD2VOL                 0x0C8
#define AUD2DAT                 0x0CA
#define AUD3LCH                 0x0D0
#define AUD3LCL                 0x0D2
#define AUD3LEN                 0x0D4
#define AUD3PER                 0x0D6
#define AUD3VOL                 0x0D8
#define AUD3DAT                 0x0DA
#define AUD_STRIDE              0x010

/* ---- DMACON bits ------------------------------------------------------------- */
#define DMAF_SETCLR             0x8000 /* set the other bits written as 1, else clear them */
#define DMAF_AUD0               0x0001
#define DMAF_AUD1               0x0002
#define DMAF_AUD2               0x0004
#define DMAF_AUD3               0x0008
#define DMAF_AUDIO              0x000F
#define DMAF_MASTER             0x0200

/* ---- INTENA / INTREQ bits ---------------------------------------------------- */
#define INTF_SETCLR             0x8000
#define INTF_INTEN              0x4000
#define INTF_EXTER              0x2000
#define INTF_AUD3               0x0400
#define INTF_AUD2               0x0200
#define INTF_AUD1               0x0100
#define INTF_AUD0               0x0080
#define INTF_VERTB              0x0020
#define INTF_PORTS              0x0008

#endif
