/* The replay's state: the song position and timing, the samples, and the four
   voices with what their effects remember between rows. */
#ifndef PROTRACKER_VOICE_H
#define PROTRACKER_VOICE_H

#include "protracker.h"

#include <varno/custom.h>

#define CUSTOM_W(reg) (*(volatile unsigned short *)(CUSTOM_BASE + (reg)))
/* Word offsets of a channel's registers from its AUDxLCH. */
#define AUD_LCH 0
#define AUD_LCL 1
#define AUD_LEN 2
#define AUD_PER 3
#define AUD_VOL 4

#define PERIOD_MIN 113
#define PERIOD_MAX 856

struct pt_sample {
    const unsigned char *start;
    unsigned short length; /* words played by the first block */
    const unsigned char *loop;
    unsigned short replen; /* words of the repeat; 1 = a one-shot sample's silence */
    unsigned char finetune, volume;
};

struct pt_song {
    const unsigned char *data;
    struct pt_layout layout;
    unsigned short speed, counter, tempo, timer;
    unsigned short position, row;
    unsigned short break_row;        /* row to continue at after a break or loop */
    unsigned char break_flag;        /* a pattern loop jumps inside the pattern */
    unsigned char jump_flag;         /* a jump or break moves to another position */
    unsigned char delay, delay_left; /* pattern delay: rows still to repeat */
    unsigned short dma_on;           /* channels started by this row */
    unsigned long tick_flags;
    unsigned char subsong;     /* the tune playing */
    unsigned char visited[PT_MAX_POSITIONS][PT_ROWS / 8];
};

struct pt_voice {
    volatile unsigned short *regs;
    unsigned short dmabit;
    unsigned char cell[4]; /* the row's note, sample and command */
    const unsigned char *start;
    unsigned short length;
    const unsigned char *loop;
    unsigned short replen;
    unsigned short period;
    unsigned short wanted_period; /* tone portamento target, 0 when reached */
    unsigned char finetune, volume;
    unsigned char porta_speed, porta_up;
    unsigned char vibrato_cmd, vibrato_pos, tremolo_cmd, tremolo_pos;
    unsigned char waveforms; /* vibrato in the low nibble, tremolo in the high */
    unsigned char glissando;
    unsigned char sample_offset;
    unsigned char loop_row, loop_count;
};

extern struct pt_song pt_song;
extern struct pt_voice pt_voices[4];
extern struct pt_sample pt_samples[32];
extern const unsigned short pt_silence[2];

void pt_row_voice(struct pt_voice *v, const unsigned char *cell);
void pt_tick_voice(struct pt_voice *v);
void pt_queue_repeat(struct pt_voice *v);
void pt_set_tempo(unsigned int tempo);
void pt_loop_back(unsigned int from_row);

#endif
