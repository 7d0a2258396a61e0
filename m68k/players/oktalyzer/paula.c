#include "paula.h"

#include "oktalyzer.h"

#include <varno/kit.h>

#define ACTION_START 1
#define ACTION_QUEUE 2
#define ACTION_STOP 4

struct shadow {
    const void *block, *next;
    uint16_t block_words, next_words;
    uint8_t actions;
    uint8_t waiting_for_last; /* silence follows once Paula takes the last block */
};

static struct shadow shadows[OKT_CHANNELS];
struct okt_paula_levels okt_paula_levels[OKT_CHANNELS];
static uint8_t direct[OKT_CHANNELS];

/* The two silent bytes a channel repeats once its sample has played. */
static const int16_t silence[1] = {0};

static uint16_t words(uint32_t bytes)
{
    bytes >>= 1;
    return (uint16_t)(bytes == 0 ? 1 : bytes > 0xFFFF ? 0xFFFF : bytes);
}

void okt_paula_reset(const uint8_t mixed[OKT_CHANNELS])
{
    uint8_t *bytes = (uint8_t *)shadows;
    unsigned i;
    for (i = 0; i < sizeof shadows; ++i) bytes[i] = 0;
    for (i = 0; i < OKT_CHANNELS; ++i) okt_paula_levels[i].period = okt_paula_levels[i].volume = 0;
    for (i = 0; i < OKT_CHANNELS; ++i) direct[i] = !mixed[i];
}

void okt_paula_start(unsigned channel, const void *block, uint32_t bytes, const void *next, uint32_t next_bytes)
{
    struct shadow *s = &shadows[channel];
    s->block = block;
    s->block_words = words(bytes);
    s->next = next ? next : silence;
    s->next_words = next ? words(next_bytes) : 1;
    s->actions = ACTION_START;
    s->waiting_for_last = 0;
}

void okt_paula_queue_last(unsigned channel, const void *block, uint32_t bytes)
{
    struct shadow *s = &shadows[channel];
    s->next = block;
    s->next_words = words(bytes);
    s->actions |= ACTION_QUEUE;
}

void okt_paula_stop(unsigned channel)
{
    shadows[channel].actions = ACTION_STOP;
    shadows[channel].waiting_for_last = 0;
}

void okt_paula_flush(void)
{
    uint16_t off = 0, on = 0;
    unsigned c;
    for (c = 0; c < OKT_CHANNELS; ++c)
        if (shadows[c].actions & (ACTION_START | ACTION_STOP)) off |= (uint16_t)(1 << c);
    if (off) {
        custom.dmacon = off;
        /* Paula must see the channel stopped before a restart starts it afresh. */
        kit_wait_audio_dma();
    }
    for (c = 0; c < OKT_CHANNELS; ++c) {
        struct shadow *s = &shadows[c];
        volatile struct AudChannel *a = &custom.aud[c];
        if (!direct[c]) {
            a->ac_vol = okt_paula_levels[c].volume; /* the mixer owns the rest */
            continue;
        }
        if (s->actions & ACTION_START) {
            a->ac_ptr = s->block;
            a->ac_len = s->block_words;
            on |= (uint16_t)(1 << c);
        }
        if (okt_paula_levels[c].period) a->ac_per = okt_paula_levels[c].period;
        a->ac_vol = (s->actions & ACTION_STOP) ? 0 : okt_paula_levels[c].volume;
    }
    /* Paula takes a block as its DMA starts; what follows is queued behind it. */
    if (on) custom.dmacon = (uint16_t)(DMAF_SETCLR | on);
    for (c = 0; c < OKT_CHANNELS; ++c) {
        struct shadow *s = &shadows[c];
        volatile struct AudChannel *a = &custom.aud[c];
        if (s->actions & ACTION_QUEUE) {
            /* The audio interrupt request tells when Paula has taken it. */
            custom.intreq = (uint16_t)(INTF_AUD0 << c);
            s->waiting_for_last = 1;
        } else if (s->waiting_for_last && (custom.intreqr & (INTF_AUD0 << c))) {
            s->next = silence;
            s->next_words = 1;
            s->waiting_for_last = 0;
            s->actions |= ACTION_QUEUE;
        }
        if (s->actions & (ACTION_START | ACTION_QUEUE)) {
            a->ac_ptr = s->next;
            a->ac_len = s->next_words;
        }
        s->actions = 0;
    }
}
