/* Typed C views of the custom chips and the two CIAs, with the names of the Amiga
   Hardware Reference Manual:
       custom.aud[n].ac_ptr = sample;  custom.aud[n].ac_len = words;
       custom.dmacon = DMAF_SETCLR | DMAF_AUD0;
       ciaa.pra |= 1 << CIAB_LED;     (the audio filter off)
   The register offsets behind them are those of custom.h and cia.h; the layout is
   checked against them when the header is compiled. C only. */
#ifndef VARNO_CHIPS_H
#define VARNO_CHIPS_H

#include <varno/cia.h>
#include <varno/custom.h>

#ifndef __ASSEMBLER__
#include <stddef.h>
#include <stdint.h>

/* One Paula audio channel (AUDxLC .. AUDxDAT). */
struct AudChannel {
    const void *ac_ptr; /* sample start, word aligned */
    uint16_t ac_len;    /* length in words */
    uint16_t ac_per;    /* period in colour clocks */
    uint16_t ac_vol;    /* volume 0..64 */
    uint16_t ac_dat;
    uint16_t ac_pad[2];
};

struct Custom {
    uint16_t bltddat, dmaconr, vposr, vhposr, dskdatr, joy0dat, joy1dat, clxdat;
    uint16_t adkconr, pot0dat, pot1dat, potinp, serdatr, dskbytr, intenar, intreqr;
    uint16_t pad_020[(DMACON - 0x020) / 2];
    uint16_t dmacon, clxcon, intena, intreq, adkcon;
    struct AudChannel aud[4];
};

_Static_assert(offsetof(struct Custom, intreqr) == INTREQR, "INTREQR");
_Static_assert(offsetof(struct Custom, dmacon) == DMACON, "DMACON");
_Static_assert(offsetof(struct Custom, adkcon) == ADKCON, "ADKCON");
_Static_assert(offsetof(struct Custom, aud[1].ac_len) == AUD1LEN, "AUD1LEN");
_Static_assert(sizeof(struct AudChannel) == AUD_STRIDE, "AUD_STRIDE");

/* A CIA: one register every 256 bytes. The fields drop the cia prefix of the
   register names, which name the offsets (cia.h). */
struct CIA {
    uint8_t pra, pad0[255], prb, pad1[255], ddra, pad2[255], ddrb, pad3[255];
    uint8_t talo, pad4[255], tahi, pad5[255], tblo, pad6[255], tbhi, pad7[255];
    uint8_t todlow, pad8[255], todmid, pad9[255], todhi, pad10[255], unused, pad11[255];
    uint8_t sdr, pad12[255], icr, pad13[255], cra, pad14[255], crb;
};

_Static_assert(offsetof(struct CIA, icr) == ciaicr, "ciaicr");
_Static_assert(offsetof(struct CIA, crb) == ciacrb, "ciacrb");

#define custom (*(volatile struct Custom *)CUSTOM_BASE)
#define ciaa (*(volatile struct CIA *)CIAA_BASE)
#define ciab (*(volatile struct CIA *)CIAB_BASE)

#endif
#endif
