/* The song: positions, rows and their commands. Each tick runs the rows that are
   due, then one frame of every channel, then moves the song on; Paula gets the
   result at the tick's end. */
#include "replay.h"

#include <string.h>
#include <varno/kit.h>

struct ahx_state ahx_state;
struct ahx_voice ahx_voices[AHX_MAX_CHANNELS];

static int16_t clamp_volume(int v) { return (int16_t)(v < 0 ? 0 : v > 64 ? 64 : v); }

void ahx_start(unsigned subsong)
{
    unsigned i;
    uint16_t pos = 0;
    if (subsong > 0 && subsong <= ahx_song.subsongs) pos = kit_be16(ahx_song.subsong_list + 2 * (subsong - 1));
    if (pos >= ahx_song.positions) pos = 0;
    memset(&ahx_state, 0, sizeof ahx_state);
    ahx_state.pos_nr = pos;
    ahx_state.tempo = 6;
    ahx_state.get_new_position = 1;
    memset(ahx_voices, 0, sizeof ahx_voices);
    for (i = 0; i < AHX_MAX_CHANNELS; ++i) {
        struct ahx_voice *v = &ahx_voices[i];
        v->track_on = 1;
        v->override_transpose = NO_OVERRIDE;
        v->track_master_volume = 64;
        v->filter_pos = 32;
        v->square_sign = v->filter_sign = 1;
        v->noise_random = 0x280;
        v->audio_source = ahx_waves + 31 * AHX_WAVE_BLOCK;
    }
    ahx_paula_start();
}

static const struct ahx_step *current_step(const struct ahx_voice *v)
{
    return &ahx_steps[v->track][ahx_state.note_nr < ahx_song.track_length ? ahx_state.note_nr : 0];
}

static unsigned decimal(unsigned param) { return (param >> 4) * 10 + (param & 0x0F); }

/* Commands that act before the row's instrument is set up. */
static void step_fx_before(struct ahx_voice *v, unsigned fx, unsigned param)
{
    switch (fx) {
    case 0x0: /* the hundreds of the next position jump */
        if ((param & 0x0F) > 0 && (param & 0x0F) <= 9) ahx_state.pos_jump = param & 0x0F;
        break;
    case 0x5:
    case 0xA:
        v->volume_slide_down = (int16_t)(param & 0x0F);
        v->volume_slide_up = (int16_t)(param >> 4);
        break;
    case 0xB:
        ahx_state.pos_jump = (uint16_t)(ahx_state.pos_jump * 100 + decimal(param));
        ahx_state.pattern_break = 1;
        /* A jump back is where the song comes round. */
        if (ahx_state.pos_jump <= ahx_state.pos_nr) ahx_state.song_end = 1;
        break;
    case 0xD:
        ahx_state.pos_jump = (uint16_t)(ahx_state.pos_nr + 1);
        ahx_state.pos_jump_note = (uint16_t)decimal(param);
        ahx_state.pattern_break = 1;
        if (ahx_state.pos_jump_note > ahx_song.track_length) ahx_state.pos_jump_note = 0;
        break;
    case 0xE:
        if ((param >> 4) == 0xC && (int)(param & 0x0F) < ahx_state.tempo) {
            v->note_cut_wait = (int16_t)(param & 0x0F);
            if (v->note_cut_wait) {
                v->note_cut_on = 1;
                v->hard_cut_release = 0;
            }
        }
        break;
    case 0xF:
        ahx_state.tempo = (int16_t)param;
        /* F00 stops the song: its rows then repeat every tick, the end is told once. */
        if (param == 0 && !ahx_state.stopped) ahx_state.song_end = ahx_state.stopped = 1;
        break;
    }
}

static void set_instrument(struct ahx_voice *v, const struct ahx_instrument *ins)
{
    int lower, upper, t;
    v->period_slide_speed = v->period_slide_period = v->period_slide_limit = 0;
    v->perf_sub_volume = 64;
    v->adsr_volume = 0;
    v->instrument = ins;
    v->adsr.attack_frames = ins->attack_frames;
    v->adsr.attack_step = (int16_t)(ins->attack_frames ? ins->attack_volume * 256 / ins->attack_frames : ins->attack_volume * 256);
    v->adsr.decay_frames = ins->decay_frames;
    v->adsr.decay_step = (int16_t)(ins->decay_frames ? (ins->decay_volume - ins->attack_volume) * 256 / ins->decay_frames
                                                     : ins->decay_volume * 256);
    v->adsr.sustain_frames = ins->sustain_frames;
    v->adsr.release_frames = ins->release_frames;
    v->adsr.release_step = (int16_t)(ins->release_frames ? (ins->release_volume - ins->decay_volume) * 256 / ins->release_frames
                                                         : ins->release_volume * 256);
    v->wave_length = ins->wave_length;
    v->note_max_volume = ins->volume;
    v->vibrato_current = 0;
    v->vibrato_delay = ins->vibrato_delay;
    v->vibrato_depth = ins->vibrato_depth;
    v->vibrato_speed = ins->vibrato_speed;
    v->vibrato_period = 0;
    v->hard_cut_release = ins->hard_cut_release;
    v->hard_cut = ins->hard_cut_frames;
    v->ignore_square = v->square_sliding_in = 0;
    v->square_wait = v->square_on = 0;
    /* Square limits are in 128-sample pulse widths; shorter waves step coarser. */
    lower = ins->square_lower >> (5 - v->wave_length);
    upper = ins->square_upper >> (5 - v->wave_length);
    if (upper < lower) {
        t = upper;
        upper = lower;
        lower = t;
    }
    v->square_upper = (int16_t)upper;
    v->square_lower = (int16_t)lower;
    v->ignore_filter = v->filter_wait = v->filter_on = 0;
    v->filter_sliding_in = 0;
    lower = ins->filter_lower;
    upper = ins->filter_upper;
    if (lower > upper) {
        t = upper;
        upper = lower;
        lower = t;
    }
    v->filter_speed = ins->filter_speed;
    v->filter_upper = (int16_t)upper;
    v->filter_lower = (int16_t)lower;
    v->filter_pos = 32;
    v->perf_wait = v->perf_current = 0;
    v->perf_speed = ins->plist_speed;
}

/* Commands that act after the instrument, before the note. */
static void step_fx_note(struct ahx_voice *v, unsigned fx, unsigned param, unsigned *note)
{
    switch (fx) {
    case 0x9:
        v->square_pos = (int16_t)(param >> (5 - v->wave_length));
        v->ignore_square = 1;
        break;
    case 0x3:
    case 0x5:
        if (param) v->period_slide_speed = (int16_t)param;
        if (*note) {
            const int diff = (int)ahx_periods[v->track_period] - (int)ahx_periods[*note];
            if (diff + v->period_slide_period) v->period_slide_limit = (int16_t)-diff;
        }
        v->period_slide_on = 1;
        v->period_slide_with_limit = 1;
        *note = 0;
        break;
    }
}

static void set_volume(struct ahx_voice *v, int param, int16_t *lowest)
{
    unsigned i;
    if (param <= 0x40) {
        *lowest = (int16_t)param;
        return;
    }
    param -= 0x50;
    if (param < 0) return;
    if (param <= 0x40) {
        for (i = 0; i < ahx_song.channels; ++i) ahx_voices[i].track_master_volume = (int16_t)param;
        return;
    }
    param -= 0xA0 - 0x50;
    if (param >= 0 && param <= 0x40) v->track_master_volume = (int16_t)param;
}

/* Commands that act after the note. */
static void step_fx_after(struct ahx_voice *v, unsigned fx, unsigned param)
{
    switch (fx) {
    case 0x1:
        v->period_slide_speed = (int16_t)-(int)param;
        v->period_slide_on = 1;
        v->period_slide_with_limit = 0;
        break;
    case 0x2:
        v->period_slide_speed = (int16_t)param;
        v->period_slide_on = 1;
        v->period_slide_with_limit = 0;
        break;
    case 0x4: /* filter override: 01..3F for the next play-list filter, 41..7F at once */
        if (param == 0 || param == 0x40) break;
        if (param < 0x40) {
            v->ignore_filter = (uint8_t)param;
            break;
        }
        if (param > 0x7F) break;
        v->filter_pos = (int16_t)(param - 0x40);
        break;
    case 0xC:
        set_volume(v, (int)param, &v->note_max_volume);
        break;
    case 0xE:
        switch (param >> 4) {
        case 0x1:
            v->period_slide_period = (int16_t)(v->period_slide_period - (param & 0x0F));
            v->plant_period = 1;
            break;
        case 0x2:
            v->period_slide_period = (int16_t)(v->period_slide_period + (param & 0x0F));
            v->plant_period = 1;
            break;
        case 0x4:
            v->vibrato_depth = (int16_t)(param & 0x0F);
            break;
        case 0xA:
            v->note_max_volume = clamp_volume(v->note_max_volume + (int)(param & 0x0F));
            break;
        case 0xB:
            v->note_max_volume = clamp_volume(v->note_max_volume - (int)(param & 0x0F));
            break;
        case 0xF: /* HVL: the row's transpose replaces the position's */
            if (ahx_song.format == AHX_FORMAT_HVL && ahx_song.revision >= 1 && (param & 0x0F) == 1)
                v->override_transpose = v->transpose;
            break;
        }
        break;
    }
}

/* A note delay (EDx) holds the whole row back; 0 when the row goes ahead. */
static int delay_row(struct ahx_voice *v, unsigned fx, unsigned param)
{
    if (fx != 0xE || (param & 0xF0) != 0xD0) return 0;
    if (v->note_delay_on) {
        v->note_delay_on = 0;
        return 0;
    }
    if ((int)(param & 0x0F) < ahx_state.tempo) {
        v->note_delay_wait = (int16_t)(param & 0x0F);
        if (v->note_delay_wait) {
            v->note_delay_on = 1;
            return 1;
        }
    }
    return 0;
}

void ahx_process_step(struct ahx_voice *v)
{
    const struct ahx_step *step;
    unsigned note, k, commands;
    if (!v->track_on) return;
    v->volume_slide_up = v->volume_slide_down = 0;
    step = current_step(v);
    commands = ahx_song.format == AHX_FORMAT_HVL ? 2 : 1;
    for (k = 0; k < commands; ++k)
        if (delay_row(v, step->fx[k], step->param[k])) return;
    note = step->note;
    if (note) v->override_transpose = NO_OVERRIDE;
    for (k = 0; k < commands; ++k) step_fx_before(v, step->fx[k], step->param[k]);
    if (step->instrument && step->instrument <= ahx_song.instruments)
        set_instrument(v, &ahx_instruments[step->instrument]);
    v->period_slide_on = 0;
    for (k = 0; k < commands; ++k) step_fx_note(v, step->fx[k], step->param[k], &note);
    if (note) {
        v->track_period = (int16_t)note;
        v->plant_period = 1;
    }
    for (k = 0; k < commands; ++k) step_fx_after(v, step->fx[k], step->param[k]);
}

static void take_position(void)
{
    unsigned i;
    const uint16_t next = (uint16_t)(ahx_state.pos_nr + 1 >= ahx_song.positions ? 0 : ahx_state.pos_nr + 1);
    for (i = 0; i < ahx_song.channels; ++i) {
        const uint8_t *p = ahx_position(ahx_state.pos_nr, i);
        ahx_voices[i].track = p[0];
        ahx_voices[i].transpose = (int8_t)p[1];
        ahx_voices[i].next_track = ahx_position(next, i)[0];
    }
    ahx_state.get_new_position = 0;
}

/* Paula has four channels; an HVL song may have up to 16. Channel n carries the
   loudest of the song's channels n, n + 4, n + 8 and n + 12 at each tick, so that
   what is heard of the extra channels fills the quieter moments of the first
   four, at the loudness of them all. */
static struct ahx_voice *loudest_voice(unsigned channel, unsigned *volume)
{
    struct ahx_voice *loudest = &ahx_voices[channel];
    unsigned i, power = (unsigned)(loudest->audio_volume * loudest->audio_volume), root;
    for (i = channel + AHX_PAULA_CHANNELS; i < ahx_song.channels; i += AHX_PAULA_CHANNELS) {
        power += (unsigned)(ahx_voices[i].audio_volume * ahx_voices[i].audio_volume);
        if (ahx_voices[i].audio_volume > loudest->audio_volume) loudest = &ahx_voices[i];
    }
    /* The channels left out are heard through the loudness of the one kept: the
       volume whose square is their power together, at most 64. */
    root = (unsigned)loudest->audio_volume;
    while (root < 64 && (uint32_t)(uint16_t)(root + 1) * (uint16_t)(root + 1) <= power) ++root;
    *volume = root;
    return loudest;
}

int ahx_tick(void)
{
    unsigned i;
    int came_round;
    if (ahx_state.step_wait_frames <= 0) {
        if (ahx_state.get_new_position) take_position();
        for (i = 0; i < ahx_song.channels; ++i) ahx_process_step(&ahx_voices[i]);
        ahx_state.step_wait_frames = ahx_state.tempo;
    }
    for (i = 0; i < ahx_song.channels; ++i) ahx_process_frame(&ahx_voices[i]);
    if (ahx_state.tempo > 0 && --ahx_state.step_wait_frames <= 0) {
        if (!ahx_state.pattern_break) {
            ++ahx_state.note_nr;
            if (ahx_state.note_nr >= ahx_song.track_length) {
                ahx_state.pos_jump = (uint16_t)(ahx_state.pos_nr + 1);
                ahx_state.pos_jump_note = 0;
                ahx_state.pattern_break = 1;
            }
        }
        if (ahx_state.pattern_break) {
            ahx_state.pattern_break = 0;
            ahx_state.pos_nr = ahx_state.pos_jump;
            ahx_state.note_nr = ahx_state.pos_jump_note;
            if (ahx_state.note_nr >= ahx_song.track_length) ahx_state.note_nr = 0;
            if (ahx_state.pos_nr >= ahx_song.positions) {
                ahx_state.song_end = 1;
                ahx_state.pos_nr = ahx_song.restart;
            }
            ahx_state.pos_jump = ahx_state.pos_jump_note = 0;
            ahx_state.get_new_position = 1;
        }
    }
    for (i = 0; i < AHX_PAULA_CHANNELS && i < ahx_song.channels; ++i) {
        unsigned volume;
        struct ahx_voice *v = loudest_voice(i, &volume);
        ahx_paula_update(i, v, volume);
    }
    came_round = ahx_state.song_end;
    ahx_state.song_end = 0;
    return came_round;
}
