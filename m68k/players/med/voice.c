/* Notes and commands of one track. The line's first tick reads the cell; every
   tick then runs the continuous commands, the hold and decay and the synth
   sequences, and leaves the period, volume and block for the channel. */
#include "voice.h"

#include <varno/kit.h>

struct med_voice med_voices[MED_MAX_TRACKS];
const uint16_t med_silence[2] = {0, 0};

#define NOTE(v) ((v)->cell[0])
#define CMD(v) ((v)->cell[2])
#define PARAM(v) ((v)->cell[3])
#define NONE 0xFF

/* Notes below C-1 move up an octave at a time; above B-3 Paula's samples repeat
   the top octave, as the Amiga's period table does. */
uint16_t med_note_period(unsigned finetune, int note)
{
    while (note < 0) note += 12;
    while (note >= MED_NOTES) note -= 12;
    return pt_periods[finetune & 15][note];
}

void med_voice_reset(struct med_voice *v, unsigned track)
{
    uint8_t *bytes = (uint8_t *)v;
    unsigned i;
    for (i = 0; i < sizeof *v; ++i) bytes[i] = 0;
    v->track = (uint8_t)track;
    v->note_tick = NONE;
    v->cut_tick = NONE;
    v->block = v->repeat = (const uint8_t *)med_silence;
    v->block_words = v->repeat_words = 1;
}

static void clamp_period(struct med_voice *v, int period)
{
    if (period < MED_PERIOD_MIN) period = MED_PERIOD_MIN;
    if (period > MED_PERIOD_MAX) period = MED_PERIOD_MAX;
    v->period = (uint16_t)period;
}

static void add_volume(struct med_voice *v, int delta)
{
    int volume = v->volume + delta;
    v->volume = (int8_t)(volume < 0 ? 0 : volume > 64 ? 64 : volume);
}

/* Starts the voice's instrument on its note: the sample from its start (or an
   offset), or the synth sound's sequences from their beginnings. */
static void start_note(struct med_voice *v)
{
    const struct med_instrument *ins = v->instrument;
    v->out_period = v->period;
    v->hold_left = v->hold;
    v->fading = 0;
    v->vib_pos = 0;
    v->synth.instrument = 0;
    if (!ins || ins->kind == MED_NONE) {
        v->block = v->repeat = (const uint8_t *)med_silence;
        v->block_words = v->repeat_words = 1;
        v->trigger = 1;
        return;
    }
    if (ins->kind == MED_SYNTH || ins->kind == MED_HYBRID) med_synth_start(v);
    if (ins->kind == MED_SYNTH) return; /* its waveform sequence names the block */
    {
        /* A hybrid's sample is its first waveform, checked whole by the load. */
        const uint8_t *start = ins->kind == MED_HYBRID ? ins->start + kit_be32(ins->start + MED_SYNTH_WAVEFORMS) + 6
                                                      : ins->start;
        uint32_t length = ins->length, loop_start = ins->loop_start, loop_length = ins->loop_length, end, offset;
        if (ins->octave_type) {
            /* Octave n lies after the n shorter ones, which add up to 2^n - 1 of the shortest. */
            const unsigned n = v->octave_part;
            start += ins->part_length * ((1UL << n) - 1);
            length = ins->part_length << n;
            loop_start <<= n;
            loop_length <<= n;
        }
        end = loop_length ? loop_start + loop_length : length;
        if (end > MED_SAMPLE_MAX) end = MED_SAMPLE_MAX;
        offset = (uint32_t)v->sample_offset << 8;
        v->sample_offset = 0;
        if (offset >= end) offset = 0;
        v->block = start + offset;
        v->block_words = (uint16_t)((end - offset) >> 1);
        if (loop_length && loop_start + loop_length <= MED_SAMPLE_MAX) {
            v->repeat = start + loop_start;
            v->repeat_words = (uint16_t)(loop_length >> 1);
        } else {
            v->repeat = (const uint8_t *)med_silence;
            v->repeat_words = 1;
        }
        if (v->block_words == 0) v->block_words = 1;
        v->trigger = 1;
    }
}

/* Samples of several octaves: for each octave of notes from C-1 up, which of the
   sample's octaves plays (0 the shortest) and on which octave of the period table,
   per kind of sample (5, 3, 2, 4, 6 and 7 octaves); higher notes as the last. */
static const uint8_t octave_parts[7][6] = {
    {0}, {4, 3, 2, 1, 1, 0}, {2, 2, 1, 1, 0, 0}, {1, 1, 0, 0, 0, 0},
    {3, 3, 2, 2, 1, 0}, {5, 4, 3, 2, 1, 0}, {6, 5, 4, 3, 2, 1}};
static const uint8_t octave_rows[7][6] = {
    {0}, {1, 1, 1, 1, 2, 2}, {0, 1, 1, 2, 2, 2}, {0, 1, 1, 2, 2, 2},
    {0, 1, 1, 2, 2, 2}, {1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1}};

static void play_note(struct med_voice *v)
{
    const struct med_instrument *ins = v->instrument;
    int note = NOTE(v) - 1 + med_song.transpose + (ins ? ins->transpose : 0);
    while (note < 0) note += 12;
    while (note > 127) note -= 12;
    v->note = (uint8_t)note;
    v->period = med_note_period(v->finetune, note);
    if (ins && ins->octave_type) {
        const unsigned octave = note / 12 < 6 ? (unsigned)note / 12 : 5, type = ins->octave_type;
        v->octave_part = octave_parts[type][octave];
        if (v->octave_part >= ins->octaves) v->octave_part = (uint8_t)(ins->octaves - 1);
        v->period = med_note_period(v->finetune, octave_rows[type][octave] * 12 + note % 12);
    }
    start_note(v);
}

/* 0C's volume: typed as two decimal digits, or in hexadecimal, where the top bit
   is OctaMED's "set the instrument's volume", played here as the volume alone. */
static unsigned volume_parameter(unsigned param)
{
    if (med_state.volhex) param &= 0x7F;
    else param = (param >> 4) * 10 + (param & 0x0F);
    return param > 64 ? 64 : param;
}

/* Command 0F: tempo, a break, and the note-timing parameters from F1 up. */
static void command_0f(struct med_voice *v, unsigned param, struct med_flow *flow)
{
    const unsigned speed = med_state.speed;
    switch (param) {
    case 0x00:
        flow->break_line = 0;
        break;
    case 0xF1: /* the note twice: again half-way through the line */
        if (NOTE(v)) v->retrig = (uint8_t)(speed / 2 ? speed / 2 : 1);
        break;
    case 0xF2: /* the note starts half-way through the line */
        if (NOTE(v)) v->note_tick = (uint8_t)(speed / 2);
        break;
    case 0xF3: /* the note three times */
        if (NOTE(v)) v->retrig = (uint8_t)(speed / 3 ? speed / 3 : 1);
        break;
    case 0xFD: /* the new note's pitch without restarting the sound */
        break;
    case 0xFE:
        flow->stop = 1;
        break;
    case 0xFF:
        v->volume = 0;
        v->synth.instrument = 0;
        break;
    default:
        if (param <= 0xF0) flow->tempo = (int16_t)param;
        break;
    }
}

/* Commands that act once, on the line's first tick. */
static void first_tick_command(struct med_voice *v, struct med_flow *flow)
{
    const unsigned param = PARAM(v);
    switch (CMD(v)) {
    case 0x03:
        if (param) v->porta_speed = (uint8_t)param;
        break;
    case 0x04:
    case 0x14:
        if (param & 0x0F) v->vib_depth = param & 0x0F;
        if (param >> 4) v->vib_speed = (uint8_t)(param >> 4);
        v->vib_shift = CMD(v) == 0x04 ? 6 : 7; /* MED's own vibrato is twice as deep */
        break;
    case 0x07:
        if (param & 0x0F) v->trem_depth = param & 0x0F;
        if (param >> 4) v->trem_speed = (uint8_t)(param >> 4);
        break;
    case 0x08:
        v->hold = param & 0x0F;
        v->decay = (uint8_t)(param >> 4);
        v->hold_left = v->hold;
        break;
    case 0x09:
        if (param >= 1 && param <= 0x20) med_state.speed = (uint16_t)param;
        break;
    case 0x0B:
        flow->jump = (int16_t)param;
        break;
    case 0x0C:
        v->volume = (int8_t)volume_parameter(param);
        break;
    case 0x0E:
        med_synth_jump(v, param);
        break;
    case 0x0F:
        command_0f(v, param, flow);
        break;
    case 0x11:
        clamp_period(v, v->period - (int)param);
        break;
    case 0x12:
        clamp_period(v, v->period + (int)param);
        break;
    case 0x16:
        if (param == 0) {
            v->loop_line = (uint8_t)med_state.line;
        } else if (v->loop_count == 0) {
            v->loop_count = (uint8_t)param;
            flow->loop_to = v->loop_line;
        } else if (--v->loop_count != 0) {
            flow->loop_to = v->loop_line;
        }
        break;
    case 0x18:
        v->cut_tick = (uint8_t)param;
        break;
    case 0x1A:
        add_volume(v, (int)param);
        break;
    case 0x1B:
        add_volume(v, -(int)param);
        break;
    case 0x1D:
        flow->break_line = (int16_t)param;
        break;
    case 0x1E:
        flow->delay_lines = (uint8_t)param;
        break;
    case 0x1F:
        if (NOTE(v) && (param >> 4)) v->note_tick = (uint8_t)(param >> 4);
        v->retrig = param & 0x0F;
        break;
    }
}

void med_line_voice(struct med_voice *v, const uint8_t cell[4], struct med_flow *flow)
{
    const unsigned instrument = cell[1];
    v->cell[0] = cell[0];
    v->cell[1] = cell[1];
    v->cell[2] = cell[2];
    v->cell[3] = cell[3];
    v->note_tick = NONE;
    v->retrig = 0;
    v->cut_tick = NONE;
    /* A note without an instrument plays the track's last one at the volume it had. */
    if (instrument != 0) {
        const struct med_instrument *ins = &med_song.instruments[instrument - 1];
        v->instrument = ins;
        v->volume = (int8_t)ins->volume;
        v->hold = ins->hold;
        v->decay = ins->decay;
        v->finetune = (uint8_t)(ins->finetune & 15);
    }
    if (CMD(v) == 0x15) v->finetune = PARAM(v) & 15;
    if (CMD(v) == 0x19) v->sample_offset = PARAM(v);
    first_tick_command(v, flow);
    if (NOTE(v) == 0) return;
    if (CMD(v) == 0x03 || CMD(v) == 0x05 || (CMD(v) == 0x0F && PARAM(v) == 0xFD)) {
        const struct med_instrument *ins = v->instrument;
        int note = NOTE(v) - 1 + med_song.transpose + (ins ? ins->transpose : 0);
        const uint16_t target = med_note_period(v->finetune, note < 0 ? note + 12 : note);
        if (CMD(v) == 0x0F) v->period = target;
        else v->target = target;
        return;
    }
    if (v->note_tick == NONE) play_note(v);
}

/* ---- Every tick ------------------------------------------------------------------- */

static void portamento(struct med_voice *v)
{
    int period = v->period;
    if (v->target == 0) return;
    if (period > v->target) {
        period -= v->porta_speed;
        if (period <= v->target) period = v->target;
    } else {
        period += v->porta_speed;
        if (period >= v->target) period = v->target;
    }
    v->period = (uint16_t)period;
    if (period == v->target) v->target = 0;
}

static void volume_slide(struct med_voice *v)
{
    const unsigned param = PARAM(v);
    if (param >> 4) add_volume(v, (int)(param >> 4));
    else add_volume(v, -(int)(param & 0x0F));
}

static int vibrato(struct med_voice *v)
{
    const unsigned index = (v->vib_pos >> 2) & 0x1F;
    const int delta = (int)((pt_sine[index] * v->vib_depth) >> v->vib_shift);
    const int result = (v->vib_pos & 0x80) ? -delta : delta;
    v->vib_pos = (uint8_t)(v->vib_pos + (v->vib_speed << 2));
    return result;
}

/* Tremolo: what the volume is off the track's for this tick alone. */
static int tremolo(struct med_voice *v)
{
    const unsigned index = (v->trem_pos >> 2) & 0x1F;
    const int delta = (int)((pt_sine[index] * v->trem_depth) >> 6);
    const int result = (v->trem_pos & 0x80) ? -delta : delta;
    v->trem_pos = (uint8_t)(v->trem_pos + (v->trem_speed << 2));
    return result;
}

static int arpeggio(struct med_voice *v)
{
    const unsigned step = med_state.tick % 3;
    unsigned semitones;
    if (step == 0) return 0;
    semitones = step == 1 ? PARAM(v) >> 4 : PARAM(v) & 0x0F;
    return (int)med_note_period(v->finetune, v->note + (int)semitones) - (int)med_note_period(v->finetune, v->note);
}

/* The continuous commands; returns what the period is off the note's for this tick
   alone (vibrato, arpeggio). */
static int continuous_command(struct med_voice *v)
{
    const unsigned param = PARAM(v);
    const int slides = med_state.tick != 0 || !med_state.st_slides;
    switch (CMD(v)) {
    case 0x00:
        return param ? arpeggio(v) : 0;
    case 0x01:
        if (slides) clamp_period(v, v->period - (int)param);
        break;
    case 0x02:
        if (slides) clamp_period(v, v->period + (int)param);
        break;
    case 0x03:
        if (slides) portamento(v);
        break;
    case 0x04:
    case 0x14:
        if (med_state.tick != 0) return vibrato(v);
        break;
    case 0x05:
        if (slides) {
            portamento(v);
            volume_slide(v);
        }
        break;
    case 0x06:
        if (slides) volume_slide(v);
        if (med_state.tick != 0) return vibrato(v);
        break;
    case 0x0A:
    case 0x0D:
        if (slides) volume_slide(v);
        break;
    }
    return 0;
}

/* Hold and decay: the note sounds for `hold` ticks, then fades by `decay` a tick
   (a decay of 0 cuts it). A hold of 0 lets the note sound on. */
static void hold_and_decay(struct med_voice *v)
{
    if (v->hold == 0) return;
    if (!v->fading) {
        if (v->hold_left && --v->hold_left) return;
        v->fading = 1;
    }
    if (v->decay == 0) v->volume = 0;
    else add_volume(v, -(int)v->decay);
}

void med_tick_voice(struct med_voice *v)
{
    int shift;
    unsigned volume;
    if (v->note_tick == med_state.tick) {
        v->note_tick = NONE;
        play_note(v);
    } else if (v->retrig && v->note_tick == NONE && med_state.tick && NOTE(v) && med_state.tick % v->retrig == 0) {
        start_note(v);
    }
    if (v->cut_tick == med_state.tick) v->volume = 0;
    shift = continuous_command(v);
    if (!v->trigger) hold_and_decay(v);
    volume = (unsigned)v->volume;
    if (CMD(v) == 0x07 && med_state.tick != 0) {
        const int shaken = (int)volume + tremolo(v);
        volume = (unsigned)(shaken < 0 ? 0 : shaken > 64 ? 64 : shaken);
    }
    if (v->synth.instrument) {
        shift += med_synth_tick(v);
        volume = volume * v->synth.volume >> 6;
    } else {
        v->out_period = v->period;
    }
    shift += (int)v->period;
    v->out_period = (uint16_t)(shift < MED_PERIOD_MIN ? MED_PERIOD_MIN : shift > MED_PERIOD_MAX ? MED_PERIOD_MAX : shift);
    volume = volume * med_song.track_volume[v->track] >> 6;
    v->out_volume = (uint8_t)(volume * med_song.master_volume >> 6);
}
