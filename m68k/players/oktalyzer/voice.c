/* One voice: its notes and its commands, on a direct channel (Paula plays the
   sample) or on a mixed one (the mixer plays it). */
#include "replay.h"

#include <varno/kit.h>

#include "paula.h"

static uint16_t clamp_period(int period)
{
    if (period < OKT_PERIOD_MIN) return OKT_PERIOD_MIN;
    if (period > OKT_PERIOD_MAX) return OKT_PERIOD_MAX;
    return (uint16_t)period;
}

/* Slides stop at B-3 going up; going down they leave the table, an octave
   doubling the period, until the note is too low to be heard. */
#define LOWEST_NOTE (-48)

static int clamp_note(int note)
{
    if (note < LOWEST_NOTE) return LOWEST_NOTE;
    if (note >= OKT_NOTES) return OKT_NOTES - 1;
    return note;
}

static uint16_t note_period(int note)
{
    unsigned octaves = 0;
    while (note < 0) {
        note += 12;
        ++octaves;
    }
    return (uint16_t)(okt_periods[note] << octaves);
}

static void silence_voice(struct okt_voice *v);

static void set_note(struct okt_voice *v, int note)
{
    if (note < LOWEST_NOTE) silence_voice(v);
    v->note = (int8_t)clamp_note(note);
    v->period = note_period(v->note);
}

/* Note slides move by the parameter, at most 15 semitones. */
static int slide_amount(const struct okt_voice *v) { return v->param > 15 ? 15 : v->param; }

static int playable(const struct okt_voice *v, const struct okt_sample *s)
{
    if (s->length == 0) return 0;
    /* 7-bit samples are made for mixing, 8-bit ones would overflow the mix. */
    return v->mixed ? s->mode != OKT_MODE_DIRECT : s->mode != OKT_MODE_MIXED;
}

static void silence_voice(struct okt_voice *v)
{
    v->sample = OKT_SAMPLES;
    if (v->mixed) {
        v->mix.data = 0;
    } else {
        okt_paula_stop(v->channel);
    }
}

static void start_sample(struct okt_voice *v, unsigned index)
{
    const struct okt_sample *s = &okt_song.samples[index];
    const uint32_t block = s->loop_length ? s->loop_start + s->loop_length : s->length;
    v->sample = (uint8_t)index;
    if (v->mixed) {
        v->mix.data = s->data;
        v->mix.position = 0;
        v->mix.fraction = 0;
        v->mix.end = block;
        v->mix.loop_start = s->loop_start;
        v->mix.loop_length = s->loop_length;
        return;
    }
    /* Once Paula has taken the sample's first block, the loop (or silence) follows. */
    okt_paula_start(v->channel, s->data, block, s->loop_length ? s->data + s->loop_start : 0, s->loop_length);
}

/* R: the loop is left; what follows it plays once. A direct channel's tail is
   queued now, and silence once Paula has taken the tail. */
static void release(struct okt_voice *v)
{
    const struct okt_sample *s;
    uint32_t tail_start;
    if (v->sample >= OKT_SAMPLES) return;
    s = &okt_song.samples[v->sample];
    if (!s->loop_length) return;
    if (v->mixed) {
        if (v->mix.data) {
            v->mix.end = s->length;
            v->mix.loop_length = 0;
        }
        return;
    }
    tail_start = s->loop_start + s->loop_length;
    if (tail_start + 2 <= s->length) okt_paula_queue_last(v->channel, s->data + tail_start, s->length - tail_start);
    else okt_paula_queue_last(v->channel, s->data + s->loop_start, 2); /* nothing follows the loop */
    v->sample = OKT_SAMPLES; /* a later release has nothing to leave */
}

void okt_voice_row(struct okt_voice *v, const uint8_t *cell)
{
    const unsigned note = cell[0], index = cell[1];
    v->command = cell[2];
    v->param = cell[3];
    if (note == 0 || note > OKT_NOTES) return;
    if (index >= OKT_SAMPLES || !playable(v, &okt_song.samples[index])) {
        silence_voice(v);
        return;
    }
    set_note(v, (int)note - 1);
    /* A mixed channel's volume is Paula's, shared by its two voices and set by
       V alone; a direct channel takes the sample's own. */
    if (!v->mixed) v->volume = okt_song.samples[index].volume;
    start_sample(v, index);
}

/* V: 00-40 sets the volume; 41-50 and 51-60 slide it down or up by the low
   nibble (plus 1 from 50) on every tick but the row's; 61-70 and 71-80 do that
   once, on the row's tick. */
static void volume_command(struct okt_voice *v, unsigned tick)
{
    const unsigned x = v->param;
    uint8_t *const shared = v->mixed ? &okt_state.channel_volume[v->channel] : &v->volume;
    int volume = *shared;
    if (x <= 0x40) {
        if (tick == 0) volume = (int)x;
    } else if (x <= 0x50) {
        if (tick != 0) volume -= (int)(x - 0x40);
    } else if (x <= 0x60) {
        if (tick != 0) volume += (int)(x - 0x50);
    } else if (x <= 0x70) {
        if (tick == 0) volume -= (int)(x - 0x60);
    } else if (x <= 0x80) {
        if (tick == 0) volume += (int)(x - 0x70);
    }
    if (volume < 0) volume = 0;
    if (volume > 64) volume = 64;
    *shared = (uint8_t)volume;
}

static void arpeggio(struct okt_voice *v, unsigned step)
{
    static const int8_t sign[3][4] = {
        {-1, 0, 1, 0}, /* A: down, note, up (three steps) */
        {0, 1, 0, -1}, /* B: note, up, note, down */
        {1, 1, 0, 0},  /* C: up, up, note (three steps) */
    };
    const unsigned kind = v->command - CMD_ARPEGGIO_A;
    const int s = sign[kind][step];
    int note = v->note;
    if (s < 0) note -= v->param >> 4;
    if (s > 0) note += v->param & 0x0F;
    v->out_period = note_period(clamp_note(note));
}

void okt_voice_effects(struct okt_voice *v, unsigned tick)
{
    const unsigned x = v->param;
    v->out_period = v->period;
    switch (v->command) {
    case CMD_PORTA_UP:
        v->period = v->out_period = clamp_period((int)v->period - (int)x);
        break;
    case CMD_PORTA_DOWN:
        v->period = v->out_period = clamp_period((int)v->period + (int)x);
        break;
    case CMD_ARPEGGIO_A:
    case CMD_ARPEGGIO_C:
        arpeggio(v, tick % 3);
        break;
    case CMD_ARPEGGIO_B:
        arpeggio(v, tick & 3);
        break;
    case CMD_SLIDE_DOWN:
        set_note(v, v->note - slide_amount(v));
        v->out_period = v->period;
        break;
    case CMD_SLIDE_UP:
        set_note(v, v->note + slide_amount(v));
        v->out_period = v->period;
        break;
    case CMD_LOWER_ONCE:
        if (tick == 0) set_note(v, v->note - slide_amount(v));
        v->out_period = v->period;
        break;
    case CMD_HIGHER_ONCE:
        if (tick == 0) set_note(v, v->note + slide_amount(v));
        v->out_period = v->period;
        break;
    case CMD_FILTER:
        /* The power LED bit of CIA-A port A switches the filter: low is on. */
        if (tick == 0) {
            if (x) ciaa.pra = (uint8_t)(ciaa.pra & ~(1 << CIAB_LED));
            else ciaa.pra = (uint8_t)(ciaa.pra | 1 << CIAB_LED);
        }
        break;
    case CMD_RELEASE:
        if (tick == 0) release(v);
        break;
    case CMD_VOLUME:
        volume_command(v, tick);
        break;
    default:
        break;
    }
}
