/* The channels on Paula. Each plays a buffer of its own in a loop as long as the
   waveform (640 bytes for noise); a new waveform (or each frame's new stretch of
   noise) is copied into it, so the change is heard at once wherever the DMA is in
   the loop. */
#include "replay.h"

#include <varno/kit.h>

#define BUFFER_BYTES 0x280 /* noise plays this much of its table at a time */

static int8_t buffers[AHX_PAULA_CHANNELS][BUFFER_BYTES] __attribute__((aligned(4)));
static uint16_t loop_bytes[AHX_PAULA_CHANNELS];
static const struct ahx_voice *playing[AHX_PAULA_CHANNELS];

/* Waveforms and buffers are long-aligned and a multiple of 4 bytes long. Noise
   fills a whole buffer every frame: 48 bytes at a time through twelve registers
   take a sixth of the instructions that a long at a time does. */
static void copy_wave(int8_t *to, const int8_t *from, unsigned bytes)
{
    uint32_t *t = (uint32_t *)to;
    const uint32_t *f = (const uint32_t *)from;
    unsigned n = bytes >> 2;
#ifdef __mc68000__
    for (; n >= 12; n -= 12)
        __asm__ volatile("movem.l (%0)+,%%d0-%%d7/%%a2-%%a5\n\t"
                         "movem.l %%d0-%%d7/%%a2-%%a5,(%1)\n\t"
                         "lea 48(%1),%1"
                         : "+a"(f), "+a"(t)
                         :
                         : "d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7", "a2", "a3", "a4", "a5", "memory");
#endif
    while (n--) *t++ = *f++;
}

void ahx_paula_start(void)
{
    unsigned i;
    custom.dmacon = DMAF_AUDIO;
    kit_wait_audio_dma();
    for (i = 0; i < AHX_PAULA_CHANNELS; ++i) {
        unsigned k;
        for (k = 0; k < BUFFER_BYTES; ++k) buffers[i][k] = 0;
        loop_bytes[i] = BUFFER_BYTES;
        playing[i] = 0;
        custom.aud[i].ac_ptr = buffers[i];
        custom.aud[i].ac_len = BUFFER_BYTES / 2;
        custom.aud[i].ac_per = 0x0D60;
        custom.aud[i].ac_vol = 0;
    }
    if (ahx_song.channels) custom.dmacon = DMAF_SETCLR | DMAF_AUDIO;
}

void ahx_paula_update(unsigned channel, struct ahx_voice *v, unsigned volume)
{
    /* A channel that takes over from another brings its waveform along. */
    if (v != playing[channel]) {
        playing[channel] = v;
        v->new_waveform = 1;
    }
    if (v->new_waveform) {
        const unsigned bytes = v->waveform == WAVE_NOISE ? BUFFER_BYTES : 4U << v->wave_length;
        if (bytes == loop_bytes[channel]) {
            copy_wave(buffers[channel], v->audio_source, bytes);
        } else {
            /* Paula finishes the loop it plays before it takes the new length:
               the whole buffer holds the new waveform until then. Every length
               divides the buffer's; what is filled is copied on after itself,
               doubling, so that a short waveform takes a few long copies
               rather than one copy per repeat. */
            unsigned filled = bytes;
            copy_wave(buffers[channel], v->audio_source, bytes);
            while (filled < BUFFER_BYTES) {
                const unsigned more = filled < BUFFER_BYTES - filled ? filled : BUFFER_BYTES - filled;
                copy_wave(buffers[channel] + filled, buffers[channel], more);
                filled += more;
            }
            loop_bytes[channel] = (uint16_t)bytes;
            custom.aud[channel].ac_len = (uint16_t)(bytes / 2);
        }
        v->new_waveform = 0;
    }
    custom.aud[channel].ac_per = (uint16_t)v->audio_period;
    custom.aud[channel].ac_vol = v->track_on ? (uint16_t)volume : 0;
}

void ahx_silence(void)
{
    unsigned i;
    custom.dmacon = DMAF_AUDIO;
    for (i = 0; i < AHX_PAULA_CHANNELS; ++i) custom.aud[i].ac_vol = 0;
}
