/* The song: every `speed` ticks each voice reads its next pattern row; a voice
   whose pattern has ended (after 32 rows, or at an end mark) moves on to the next
   step of its own column of the sequence, and the song comes round after the
   last step. */
#include <varno/kit.h>

#include "fc.h"

/* A pattern the module lacks plays as rests. */
static const uint8_t empty_pattern[FC_PATTERN_BYTES];

static const uint8_t *step_of(unsigned step) { return fc_song.data + fc_song.layout.steps + step * FC_STEP_BYTES; }

static void enter_step(struct fc_voice *v, unsigned step)
{
    const uint8_t *s = step_of(step);
    const uint8_t *column = s + 3 * v->index;
    const struct fc_layout *l = &fc_song.layout;
    v->step = step;
    v->pattern = column[0] < l->pattern_count ? fc_song.data + l->patterns + column[0] * FC_PATTERN_BYTES
                                              : empty_pattern;
    v->transpose = (int8_t)column[1];
    v->instrument_transpose = (int8_t)column[2];
    v->row_byte = 0;
    if (s[12]) fc_song.speed = fc_song.counter = s[12];
}

static void next_step(struct fc_voice *v)
{
    unsigned step = v->step + 1;
    if (step >= fc_song.layout.step_count) {
        step = 0;
        if (v->index == 0) fc_song.ended = 1;
    }
    enter_step(v, step);
}

static void read_row(struct fc_voice *v)
{
    const uint8_t *row;
    uint8_t note, info;
    if (v->row_byte >= FC_PATTERN_BYTES || v->pattern[v->row_byte] == FC_PATTERN_END) next_step(v);
    row = v->pattern + v->row_byte;
    note = row[0];
    info = row[1];
    if (note && note != FC_PATTERN_END)
        fc_voice_note(v, note, (uint8_t)((info & 0x3F) + v->instrument_transpose));
    /* Portamento takes its parameter from the next row's info byte, and lasts
       until a row turns it off or a new note comes without it. */
    if (info & 0x80)
        v->portamento = v->row_byte + 3 < FC_PATTERN_BYTES ? row[3] : 0;
    else if ((info & 0x40) || note)
        v->portamento = 0;
    v->row_byte += 2;
}

void fc_start(void)
{
    unsigned i;
    custom.dmacon = DMAF_AUD0 | DMAF_AUD1 | DMAF_AUD2 | DMAF_AUD3;
    fc_song.speed = FC_DEFAULT_SPEED;
    fc_song.ended = 0;
    for (i = 0; i < FC_VOICES; ++i) {
        struct fc_voice *v = &fc_voices[i];
        v->index = i;
        fc_voice_reset(v);
        enter_step(v, 0);
        custom.aud[i].ac_vol = 0;
    }
    /* The first tick reads the first row. */
    fc_song.counter = 1;
}

unsigned fc_tick(void)
{
    uint16_t restart = 0;
    unsigned i;
    fc_song.ended = 0;
    if (--fc_song.counter == 0) {
        fc_song.counter = fc_song.speed;
        for (i = 0; i < FC_VOICES; ++i) read_row(&fc_voices[i]);
    }
    for (i = 0; i < FC_VOICES; ++i) {
        fc_voice_tick(&fc_voices[i]);
        if (fc_voices[i].restart) restart |= fc_voices[i].dmabit;
    }
    if (restart) {
        for (i = 0; i < FC_VOICES; ++i)
            if (fc_voices[i].restart) fc_voice_write(&fc_voices[i]);
        custom.dmacon = (uint16_t)(DMAF_SETCLR | restart);
        for (i = 0; i < FC_VOICES; ++i)
            if (fc_voices[i].restart) fc_voice_queue_repeat(&fc_voices[i]);
    }
    return fc_song.ended;
}
