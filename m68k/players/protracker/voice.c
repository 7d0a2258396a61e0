/* One voice: what a row does to it (tick 0) and what its effects do on the other
   ticks. Registers are written only where the Amiga replay writes them: a volume
   stays as the last command left it, a period as the last effect bent it. */
#include "voice.h"

#include <varno/cia.h>

#define CMD(v) ((v)->cell[2] & 0x0F)
#define PARAM(v) ((v)->cell[3])
#define NOTE(v) ((unsigned short)(((v)->cell[0] & 0x0F) << 8 | (v)->cell[1]))

static void write_period(struct pt_voice *v, unsigned short period) { v->regs[AUD_PER] = period; }
static void write_volume(struct pt_voice *v, unsigned int volume) { v->regs[AUD_VOL] = (unsigned short)volume; }

static void write_block(struct pt_voice *v, const unsigned char *start, unsigned short length)
{
    unsigned long address = (unsigned long)start;
    v->regs[AUD_LCH] = (unsigned short)(address >> 16);
    v->regs[AUD_LCL] = (unsigned short)address;
    v->regs[AUD_LEN] = length;
}

void pt_queue_repeat(struct pt_voice *v) { write_block(v, v->loop, v->replen); }

/* Index of the note whose finetune-0 period is the first not above the given one. */
static unsigned int note_index(const unsigned short *row, unsigned short period)
{
    unsigned int i;
    for (i = 0; i < PT_NOTES; ++i)
        if (period >= row[i]) return i;
    return PT_NOTES - 1;
}

/* Restarts the voice's sample at once (retrigger and note delay). */
static void retrigger(struct pt_voice *v)
{
    CUSTOM_W(DMACON) = v->dmabit;
    write_block(v, v->start, v->length);
    write_period(v, v->period);
    CUSTOM_W(DMACON) = (unsigned short)(0x8000 | v->dmabit);
    pt_queue_repeat(v);
}

/* ---- Commands of the row's first tick ------------------------------------------ */

static void sample_offset(struct pt_voice *v)
{
    unsigned short words;
    if (PARAM(v)) v->sample_offset = PARAM(v);
    words = (unsigned short)(v->sample_offset << 7);
    if (words < v->length) {
        v->length = (unsigned short)(v->length - words);
        v->start += 2UL * words;
    } else {
        v->length = 1; /* past the end: one word, then the repeat */
    }
}

static void set_speed(struct pt_voice *v)
{
    unsigned int value = PARAM(v);
    if (value == 0) {
        pt_song.tick_flags |= PT_TICK_SONG_END; /* F00 stops the song */
    } else if (value < 32) {
        pt_song.speed = (unsigned short)value;
        pt_song.counter = 0;
    } else {
        pt_set_tempo(value);
    }
}

static void pattern_loop(struct pt_voice *v, unsigned int count)
{
    if (count == 0) {
        v->loop_row = (unsigned char)pt_song.row;
        return;
    }
    if (v->loop_count == 0) {
        v->loop_count = (unsigned char)count;
    } else if (--v->loop_count == 0) {
        return;
    }
    pt_song.break_row = v->loop_row;
    pt_song.break_flag = 1;
    pt_loop_back(v->loop_row);
}

static void fine_slide_period(struct pt_voice *v, int delta)
{
    int period = v->period + delta;
    if (period < PERIOD_MIN) period = PERIOD_MIN;
    if (period > PERIOD_MAX) period = PERIOD_MAX;
    v->period = (unsigned short)period;
    write_period(v, v->period);
}

static void extended(struct pt_voice *v)
{
    unsigned int x = PARAM(v) & 0x0F;
    unsigned int first_tick = pt_song.counter == 0;
    switch (PARAM(v) >> 4) {
    case 0x0:
        /* The audio filter is switched with the power LED: bit 1 of CIA-A port A,
           low for on. E00 turns it on, E01 off. */
        if (first_tick) {
            volatile unsigned char *pra = (volatile unsigned char *)CIAA_BASE;
            if (x & 1)
                *pra = (unsigned char)(*pra | 0x02);
            else
                *pra = (unsigned char)(*pra & ~0x02);
        }
        break;
    case 0x1:
        if (first_tick) fine_slide_period(v, -(int)x);
        break;
    case 0x2:
        if (first_tick) fine_slide_period(v, (int)x);
        break;
    case 0x3:
        v->glissando = (unsigned char)x;
        break;
    case 0x4:
        v->waveforms = (unsigned char)((v->waveforms & 0xF0) | x);
        break;
    case 0x5:
        v->finetune = (unsigned char)x;
        break;
    case 0x6:
        if (first_tick) pattern_loop(v, x);
        break;
    case 0x7:
        v->waveforms = (unsigned char)((v->waveforms & 0x0F) | x << 4);
        break;
    case 0x9:
        if (x == 0) break;
        if (first_tick && NOTE(v)) break; /* the row has just started it */
        if (pt_song.counter % x == 0) retrigger(v);
        break;
    case 0xA:
        if (first_tick) {
            v->volume = (unsigned char)(v->volume + x > 64 ? 64 : v->volume + x);
            write_volume(v, v->volume);
        }
        break;
    case 0xB:
        if (first_tick) {
            v->volume = (unsigned char)(v->volume > x ? v->volume - x : 0);
            write_volume(v, v->volume);
        }
        break;
    case 0xC:
        if (pt_song.counter == x) {
            v->volume = 0;
            write_volume(v, 0);
        }
        break;
    case 0xD:
        if (pt_song.counter == x && NOTE(v)) retrigger(v);
        break;
    case 0xE:
        if (first_tick && pt_song.delay_left == 0) pt_song.delay = (unsigned char)(x + 1);
        break;
    default: /* E0 filter, E8 and EF: no audible effect here */
        break;
    }
}

/* The commands that act on the row's first tick; the others only set the
   period back to the note's. */
static void first_tick_commands(struct pt_voice *v)
{
    unsigned int param = PARAM(v);
    switch (CMD(v)) {
    case 0x9:
        sample_offset(v);
        break;
    case 0xB:
        pt_song.position = (unsigned short)(param - 1);
        pt_song.break_row = 0;
        pt_song.jump_flag = 1;
        break;
    case 0xC:
        v->volume = (unsigned char)(param > 64 ? 64 : param);
        write_volume(v, v->volume);
        break;
    case 0xD:
        /* The parameter is written as two decimal digits. */
        pt_song.break_row = (unsigned short)((param >> 4) * 10 + (param & 0x0F));
        if (pt_song.break_row >= PT_ROWS) pt_song.break_row = 0;
        pt_song.jump_flag = 1;
        break;
    case 0xE:
        extended(v);
        break;
    case 0xF:
        set_speed(v);
        break;
    default:
        write_period(v, v->period);
        break;
    }
}

static void set_tone_porta(struct pt_voice *v)
{
    const unsigned short *row = pt_periods[v->finetune];
    unsigned int i;
    unsigned short note = NOTE(v);
    for (i = 0; i < PT_NOTES; ++i)
        if (note >= row[i]) break;
    if (i == PT_NOTES) i = PT_NOTES - 1;
    /* Negative finetunes look one note higher, as the original search does. */
    if ((v->finetune & 8) && i > 0) --i;
    v->wanted_period = row[i];
    v->porta_up = 0;
    if (v->wanted_period == v->period) v->wanted_period = 0;
    else if (v->wanted_period < v->period) v->porta_up = 1;
}

static void start_note(struct pt_voice *v)
{
    v->period = pt_periods[v->finetune][note_index(pt_periods[0], NOTE(v))];
    if (CMD(v) == 0xE && (PARAM(v) >> 4) == 0xD) { /* note delay starts it later */
        first_tick_commands(v);
        return;
    }
    CUSTOM_W(DMACON) = v->dmabit;
    if (!(v->waveforms & 0x04)) v->vibrato_pos = 0;
    if (!(v->waveforms & 0x40)) v->tremolo_pos = 0;
    write_block(v, v->start, v->length);
    write_period(v, v->period);
    pt_song.dma_on |= v->dmabit;
    first_tick_commands(v);
}

void pt_row_voice(struct pt_voice *v, const unsigned char *cell)
{
    unsigned int sample;
    if ((v->cell[0] | v->cell[1] | v->cell[2] | v->cell[3]) == 0) write_period(v, v->period);
    v->cell[0] = cell[0];
    v->cell[1] = cell[1];
    v->cell[2] = cell[2];
    v->cell[3] = cell[3];
    sample = (cell[0] & 0xF0) | cell[2] >> 4;
    if (sample != 0) {
        const struct pt_sample *s = &pt_samples[sample < 32 ? sample : 0];
        v->start = s->start;
        v->length = s->length;
        v->loop = s->loop;
        v->replen = s->replen;
        v->finetune = s->finetune;
        v->volume = s->volume;
        write_volume(v, v->volume);
    }
    if (NOTE(v) == 0) {
        first_tick_commands(v);
        return;
    }
    if (CMD(v) == 0xE && (PARAM(v) >> 4) == 0x5) {
        v->finetune = PARAM(v) & 0x0F;
        start_note(v);
    } else if (CMD(v) == 0x3 || CMD(v) == 0x5) {
        set_tone_porta(v);
        first_tick_commands(v);
    } else {
        /* A sample offset moves the start before the block is written; the second
           application inside start_note only shifts what a retrigger would use. */
        if (CMD(v) == 0x9) first_tick_commands(v);
        start_note(v);
    }
}

/* ---- Effects of the other ticks --------------------------------------------------- */

static void slide_period(struct pt_voice *v, int delta)
{
    int period = v->period + delta;
    if (period < PERIOD_MIN) period = PERIOD_MIN;
    if (period > PERIOD_MAX) period = PERIOD_MAX;
    v->period = (unsigned short)period;
    write_period(v, v->period);
}

/* Notes past B-3 are read on into the next finetune's notes, as the original reads
   its table, so a wide arpeggio on a high note drops low. */
static void arpeggio(struct pt_voice *v)
{
    const unsigned short *table = &pt_periods[0][0];
    unsigned int step = pt_song.counter % 3, semitones, i;
    if (step == 0) {
        write_period(v, v->period);
        return;
    }
    semitones = step == 1 ? PARAM(v) >> 4 : PARAM(v) & 0x0F;
    i = v->finetune * PT_NOTES + note_index(pt_periods[v->finetune], v->period) + semitones;
    if (i >= 16 * PT_NOTES) i = 16 * PT_NOTES - 1;
    write_period(v, table[i]);
}

static void tone_porta_continue(struct pt_voice *v)
{
    unsigned short period;
    if (v->wanted_period == 0) return;
    if (v->porta_up) {
        int p = v->period - v->porta_speed;
        if (p <= v->wanted_period) {
            p = v->wanted_period;
            v->wanted_period = 0;
        }
        v->period = (unsigned short)p;
    } else {
        unsigned int p = v->period + v->porta_speed;
        if (p >= v->wanted_period) {
            p = v->wanted_period;
            v->wanted_period = 0;
        }
        v->period = (unsigned short)p;
    }
    period = v->period;
    if (v->glissando) {
        const unsigned short *row = pt_periods[v->finetune];
        period = row[note_index(row, period)];
    }
    write_period(v, period);
}

static void tone_porta(struct pt_voice *v)
{
    if (PARAM(v)) {
        v->porta_speed = PARAM(v);
        v->cell[3] = 0; /* later ticks continue with the remembered speed */
    }
    tone_porta_continue(v);
}

/* Size of a vibrato or tremolo wave at a position (its sign is the position's
   top bit): a sine, a ramp, or a square. */
static unsigned int wave_value(unsigned int waveform, unsigned char position)
{
    unsigned int index = (position >> 2) & 0x1F;
    switch (waveform & 3) {
    case 0:
        return pt_sine[index];
    case 1:
        return (position & 0x80) ? index << 3 : 255 - (index << 3);
    default:
        return 255;
    }
}

static void vibrato_continue(struct pt_voice *v)
{
    unsigned int delta = (wave_value(v->waveforms, v->vibrato_pos) * (v->vibrato_cmd & 0x0F)) >> 7;
    write_period(v, (unsigned short)((v->vibrato_pos & 0x80) ? v->period - delta : v->period + delta));
    v->vibrato_pos = (unsigned char)(v->vibrato_pos + ((v->vibrato_cmd >> 2) & 0x3C));
}

static void vibrato(struct pt_voice *v)
{
    unsigned int param = PARAM(v);
    if (param & 0x0F) v->vibrato_cmd = (unsigned char)((v->vibrato_cmd & 0xF0) | (param & 0x0F));
    if (param & 0xF0) v->vibrato_cmd = (unsigned char)((v->vibrato_cmd & 0x0F) | (param & 0xF0));
    vibrato_continue(v);
}

static void tremolo(struct pt_voice *v)
{
    unsigned int param = PARAM(v), value, delta;
    int volume;
    if (param & 0x0F) v->tremolo_cmd = (unsigned char)((v->tremolo_cmd & 0xF0) | (param & 0x0F));
    if (param & 0xF0) v->tremolo_cmd = (unsigned char)((v->tremolo_cmd & 0x0F) | (param & 0xF0));
    value = wave_value(v->waveforms >> 4, v->tremolo_pos);
    delta = (value * (v->tremolo_cmd & 0x0F)) >> 6;
    volume = (v->tremolo_pos & 0x80) ? v->volume - (int)delta : v->volume + (int)delta;
    if (volume < 0) volume = 0;
    if (volume > 64) volume = 64;
    write_volume(v, (unsigned int)volume);
    v->tremolo_pos = (unsigned char)(v->tremolo_pos + ((v->tremolo_cmd >> 2) & 0x3C));
}

static void volume_slide(struct pt_voice *v)
{
    unsigned int up = PARAM(v) >> 4, down = PARAM(v) & 0x0F;
    if (up) v->volume = (unsigned char)(v->volume + up > 64 ? 64 : v->volume + up);
    else v->volume = (unsigned char)(v->volume > down ? v->volume - down : 0);
    write_volume(v, v->volume);
}

void pt_tick_voice(struct pt_voice *v)
{
    if (CMD(v) == 0 && PARAM(v) == 0) {
        write_period(v, v->period);
        return;
    }
    switch (CMD(v)) {
    case 0x0:
        arpeggio(v);
        break;
    case 0x1:
        slide_period(v, -(int)PARAM(v));
        break;
    case 0x2:
        slide_period(v, (int)PARAM(v));
        break;
    case 0x3:
        tone_porta(v);
        break;
    case 0x4:
        vibrato(v);
        break;
    case 0x5:
        tone_porta_continue(v);
        volume_slide(v);
        break;
    case 0x6:
        vibrato_continue(v);
        volume_slide(v);
        break;
    case 0xE:
        extended(v);
        break;
    default:
        write_period(v, v->period);
        if (CMD(v) == 0x7) tremolo(v);
        else if (CMD(v) == 0xA) volume_slide(v);
        break;
    }
}
