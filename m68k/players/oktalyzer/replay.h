/* The replay: one call per vertical blank. */
#ifndef OKT_REPLAY_H
#define OKT_REPLAY_H

#include <stdint.h>

#include "mixer.h"
#include "oktalyzer.h"

/* Commands, numbered as Oktalyzer shows them (digits, then letters from 10). */
enum okt_command {
    CMD_PORTA_UP = 1,      /* period down by xx every tick */
    CMD_PORTA_DOWN = 2,    /* period up by xx every tick */
    CMD_ARPEGGIO_A = 10,   /* note - x, note, note + y */
    CMD_ARPEGGIO_B = 11,   /* note, note + y, note, note - x */
    CMD_ARPEGGIO_C = 12,   /* note + y, note + y, note */
    CMD_SLIDE_DOWN = 13,   /* D: xx semitones down every tick */
    CMD_FILTER = 15,       /* F: audio filter on (xx != 0) or off */
    CMD_HIGHER_ONCE = 17,  /* H: xx semitones up once per row */
    CMD_LOWER_ONCE = 21,   /* L: xx semitones down once per row */
    CMD_POSITION = 25,     /* P: continue at position xx */
    CMD_RELEASE = 27,      /* R: leave the loop, play to the sample's end */
    CMD_SPEED = 28,        /* S: ticks per row */
    CMD_SLIDE_UP = 30,     /* U: xx semitones up every tick */
    CMD_VOLUME = 31,       /* V: volume, or its slides (see volume_command) */
};

struct okt_voice {
    uint8_t channel;
    uint8_t mixed;
    int8_t note;     /* as slides left it: 0..35 in the table (C-1..B-3), below it down to -48 */
    uint8_t volume;  /* 0..64, on a direct channel */
    uint8_t command, param;
    uint8_t sample;          /* OKT_SAMPLES: none */
    uint16_t period;         /* as portamento left it: 113..856, or above 856 below the table */
    uint16_t out_period;     /* this tick's, with arpeggio */
    struct okt_mix_voice mix;
};

struct okt_state {
    uint8_t speed, counter;
    uint8_t position, next_position, position_pending;
    uint16_t row;
    uint8_t song_end; /* set by the tick that comes round to a position played */
    uint8_t visited[OKT_POSITIONS];
    uint8_t channel_volume[OKT_CHANNELS]; /* of the mixed channels */
    struct okt_voice voices[OKT_MAX_VOICES];
};

extern struct okt_state okt_state;

void okt_start(void);
void okt_stop(void);
/* One tick; returns 1 when the song came round in it. */
int okt_tick(void);

/* What a voice's command does in a tick (tick 0 is the row's own); sets out_period. */
void okt_voice_effects(struct okt_voice *v, unsigned tick);
/* A row's cell for the voice: starts its note, takes its command. */
void okt_voice_row(struct okt_voice *v, const uint8_t *cell);


#endif
