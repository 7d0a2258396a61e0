/* A track's voice: what its notes and commands leave from line to line, the synth
   sound's sequences, and what goes out to a channel each tick. */
#ifndef MED_VOICE_H
#define MED_VOICE_H

#include "med.h"

#define MED_PERIOD_MIN 113
#define MED_PERIOD_MAX 3424
#define MED_SAMPLE_MAX 0x1FFFEUL /* bytes one Paula block can hold */
/* Offsets inside a synth instrument (SynthInstr). */
#define MED_SYNTH_VOLLEN 14
#define MED_SYNTH_WFLEN 16
#define MED_SYNTH_VOLSPEED 18
#define MED_SYNTH_WFSPEED 19
#define MED_SYNTH_WFORMS 20
#define MED_SYNTH_VOLTBL 22
#define MED_SYNTH_WFTBL 150
#define MED_SYNTH_WAVEFORMS 278

/* A synth or hybrid sound's two sequences, stepped every tick. */
struct med_synth {
    const uint8_t *instrument; /* the SynthInstr; null for a plain sample */
    uint8_t vol_pos, vol_speed, vol_count, vol_wait, vol_halted;
    uint8_t wf_pos, wf_speed, wf_count, wf_wait, wf_halted;
    int8_t vol_step;      /* CHU/CHD: volume change per step */
    uint8_t volume;       /* the volume sequence's volume, 0..64 */
    uint8_t envelope;     /* 0, or the waveform number + 1 that gives the volume */
    uint8_t envelope_loop, envelope_pos;
    int16_t period_step;  /* CHU/CHD of the waveform sequence: period change per step */
    int16_t period_shift; /* what the steps added */
    uint8_t vib_depth, vib_speed, vib_wave; /* vib_wave: 0 = sine, else waveform + 1 */
    uint8_t vib_pos;
    uint8_t arp_start, arp_pos; /* arp_start 0: no arpeggio */
    uint8_t note;               /* the note, for the arpeggio */
};

struct med_voice {
    uint8_t cell[4];  /* this line's note, instrument, command, parameter */
    uint8_t track;
    const struct med_instrument *instrument;
    uint8_t note;        /* index in the period table, after transposes */
    uint8_t octave_part; /* which octave of a sample of several plays */
    uint8_t finetune;    /* row of the period table */
    uint16_t period;     /* the note's period with slides */
    uint16_t target;     /* portamento target, 0 when reached */
    uint8_t porta_speed;
    uint8_t vib_speed, vib_depth, vib_pos, vib_shift;
    uint8_t trem_speed, trem_depth, trem_pos;
    int8_t volume;       /* 0..64 */
    uint8_t hold, decay, hold_left, fading;
    uint8_t note_tick;   /* tick at which a delayed note starts; 0xFF none */
    uint8_t retrig;      /* restart every so many ticks; 0 none */
    uint8_t cut_tick;    /* 0xFF none */
    uint16_t loop_line;
    uint8_t loop_count;
    uint8_t sample_offset;
    /* Out to the channel this tick. */
    uint8_t trigger;     /* restart the block */
    uint8_t new_block;   /* take up another block once the playing one ends (synth) */
    uint16_t out_period;
    uint8_t out_volume;
    const uint8_t *block, *repeat;
    uint16_t block_words, repeat_words;
    struct med_synth synth;
};

extern struct med_voice med_voices[MED_MAX_TRACKS];

/* What a line's commands ask of the song, gathered by med_line_voice. */
struct med_flow {
    int16_t jump;       /* play sequence entry to go to, -1 none */
    int16_t break_line; /* line of the next block to go to, -1 none */
    int16_t loop_to;    /* line to loop back to, -1 none */
    uint8_t stop, delay_lines;
    int16_t tempo;      /* new tempo, -1 none */
};

extern const uint16_t med_silence[2];

void med_voice_reset(struct med_voice *v, unsigned track);
void med_line_voice(struct med_voice *v, const uint8_t cell[4], struct med_flow *flow);
void med_tick_voice(struct med_voice *v);
uint16_t med_note_period(unsigned finetune, int note);

/* synth.c */
void med_synth_start(struct med_voice *v);
/* Steps the sequences; returns what the period is off the note's this tick. */
int med_synth_tick(struct med_voice *v);
void med_synth_jump(struct med_voice *v, unsigned position);

/* What the replay keeps that voices read. */
struct med_state {
    uint16_t tick, speed;
    uint16_t line;
    uint8_t st_slides; /* slides wait for the line's second tick */
    uint8_t volhex;
};
extern struct med_state med_state;

#endif
