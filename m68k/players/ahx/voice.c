/* One frame of a channel: note cuts, the volume envelope, slides, vibrato, the
   instrument's play list, square and filter modulation, and from those the
   waveform, period and volume that Paula gets. */
#include "replay.h"

static int16_t clamp_volume(int v) { return (int16_t)(v < 0 ? 0 : v > 64 ? 64 : v); }

void ahx_plist_command(struct ahx_voice *v, unsigned fx, unsigned param)
{
    switch (fx) {
    case 0x0: /* filter position */
        if (param > 0 && param < 0x40) {
            if (v->ignore_filter) {
                v->filter_pos = v->ignore_filter;
                v->ignore_filter = 0;
            } else {
                v->filter_pos = (int16_t)param;
            }
            v->new_waveform = 1;
        }
        break;
    case 0x1:
        v->period_perf_slide_speed = (int16_t)param;
        v->period_perf_slide_on = 1;
        break;
    case 0x2:
        v->period_perf_slide_speed = (int16_t)-(int)param;
        v->period_perf_slide_on = 1;
        break;
    case 0x3: /* square position, unless the row set one (9xx) */
        if (v->ignore_square)
            v->ignore_square = 0;
        else
            v->square_pos = (int16_t)(param >> (5 - v->wave_length));
        break;
    case 0x4: /* modulation on/off: low nibble the square's, high nibble the filter's */
        if (param == 0) {
            v->square_init = v->square_on ^= 1;
            v->square_sign = 1;
            break;
        }
        if (param & 0x0F) {
            v->square_init = v->square_on ^= 1;
            v->square_sign = (param & 0x0F) == 0x0F ? -1 : 1;
        }
        if (param & 0xF0) {
            v->filter_init = v->filter_on ^= 1;
            v->filter_sign = (param & 0xF0) == 0xF0 ? -1 : 1;
        }
        break;
    case 0x5:
        v->perf_current = (int16_t)param;
        break;
    case 0xC: {
        int p = (int)param;
        if (p <= 0x40) {
            v->note_max_volume = (int16_t)p;
            break;
        }
        p -= 0x50;
        if (p < 0) break;
        if (p <= 0x40) {
            v->perf_sub_volume = (int16_t)p;
            break;
        }
        p -= 0xA0 - 0x50;
        if (p >= 0 && p <= 0x40) v->track_master_volume = (int16_t)p;
        break;
    }
    case 0xF:
        v->perf_speed = v->perf_wait = (int16_t)param;
        break;
    }
}

static void hard_cut(struct ahx_voice *v)
{
    const struct ahx_step *next;
    int wait;
    if (ahx_state.note_nr + 1 < ahx_song.track_length)
        next = &ahx_steps[v->track][ahx_state.note_nr + 1];
    else
        next = &ahx_steps[v->next_track][0];
    /* Only a note that brings an instrument cuts the one before. */
    if (!next->instrument) return;
    wait = ahx_state.tempo - v->hard_cut;
    if (wait < 0) wait = 0;
    if (!v->note_cut_on) {
        v->note_cut_on = 1;
        v->note_cut_wait = (int16_t)wait;
        v->hard_cut_release_frames = (int16_t)(ahx_state.tempo - wait);
    }
    v->hard_cut = 0;
}

static void note_cut(struct ahx_voice *v)
{
    if (v->note_cut_wait > 0) {
        --v->note_cut_wait;
        return;
    }
    v->note_cut_on = 0;
    if (v->hard_cut_release && v->instrument) {
        const int frames = v->hard_cut_release_frames > 0 ? v->hard_cut_release_frames : 1;
        v->adsr.release_step = (int16_t)(-(v->adsr_volume - (v->instrument->release_volume << 8)) / frames);
        v->adsr.release_frames = (int16_t)frames;
        v->adsr.attack_frames = v->adsr.decay_frames = v->adsr.sustain_frames = 0;
    } else {
        v->note_max_volume = 0;
    }
}

static void envelope(struct ahx_voice *v)
{
    const struct ahx_instrument *ins = v->instrument;
    if (!ins) return;
    if (v->adsr.attack_frames) {
        v->adsr_volume = (int16_t)(v->adsr_volume + v->adsr.attack_step);
        if (--v->adsr.attack_frames <= 0) v->adsr_volume = (int16_t)(ins->attack_volume << 8);
    } else if (v->adsr.decay_frames) {
        v->adsr_volume = (int16_t)(v->adsr_volume + v->adsr.decay_step);
        if (--v->adsr.decay_frames <= 0) v->adsr_volume = (int16_t)(ins->decay_volume << 8);
    } else if (v->adsr.sustain_frames) {
        --v->adsr.sustain_frames;
    } else if (v->adsr.release_frames) {
        v->adsr_volume = (int16_t)(v->adsr_volume + v->adsr.release_step);
        if (--v->adsr.release_frames <= 0) v->adsr_volume = (int16_t)(ins->release_volume << 8);
    }
}

static void portamento(struct ahx_voice *v)
{
    if (!v->period_slide_on) return;
    if (v->period_slide_with_limit) {
        int distance = v->period_slide_period - v->period_slide_limit;
        int speed = distance > 0 ? -v->period_slide_speed : v->period_slide_speed;
        if (distance) {
            /* A step that would cross the target lands on it. */
            if (((distance + speed) ^ distance) >= 0)
                v->period_slide_period = (int16_t)(v->period_slide_period + speed);
            else
                v->period_slide_period = v->period_slide_limit;
            v->plant_period = 1;
        }
    } else {
        v->period_slide_period = (int16_t)(v->period_slide_period + v->period_slide_speed);
        v->plant_period = 1;
    }
}

static void play_list(struct ahx_voice *v)
{
    const struct ahx_instrument *ins = v->instrument;
    if (!ins) return;
    if (v->perf_current < ins->plist_length) {
        /* The wait counts down as a signed byte. */
        const int due = v->perf_wait == 128 || (int8_t)(v->perf_wait - 1) <= 0;
        --v->perf_wait;
        if (due) {
            const struct ahx_plist_entry *e = &ins->plist[v->perf_current++];
            v->perf_wait = v->perf_speed;
            if (e->waveform) {
                v->waveform = (uint8_t)(e->waveform - 1);
                v->new_waveform = 1;
                v->period_perf_slide_speed = v->period_perf_slide_period = 0;
            }
            v->period_perf_slide_on = 0;
            ahx_plist_command(v, e->fx[0], e->param[0]);
            ahx_plist_command(v, e->fx[1], e->param[1]);
            if (e->note) {
                v->instr_period = e->note;
                v->plant_period = 1;
                v->fixed_note = e->fixed;
            }
        }
    } else if (v->perf_wait) {
        --v->perf_wait;
    } else {
        v->period_perf_slide_speed = 0;
    }
}

static void square_modulation(struct ahx_voice *v)
{
    int pos;
    if (v->waveform != WAVE_SQUARE || !v->square_on || --v->square_wait > 0) return;
    pos = v->square_pos;
    if (v->square_init) {
        v->square_init = 0;
        if (pos <= v->square_lower) {
            v->square_sliding_in = 1;
            v->square_sign = 1;
        } else if (pos >= v->square_upper) {
            v->square_sliding_in = 1;
            v->square_sign = -1;
        }
    }
    if (pos == v->square_lower || pos == v->square_upper) {
        if (v->square_sliding_in)
            v->square_sliding_in = 0;
        else
            v->square_sign = (int16_t)-v->square_sign;
    }
    v->square_pos = (int16_t)(pos + v->square_sign);
    v->plant_square = 1;
    v->square_wait = v->instrument ? v->instrument->square_speed : 0;
}

static void filter_modulation(struct ahx_voice *v)
{
    int pos, steps, i;
    if (!v->filter_on || --v->filter_wait > 0) return;
    pos = v->filter_pos;
    if (v->filter_init) {
        v->filter_init = 0;
        if (pos <= v->filter_lower) {
            v->filter_sliding_in = 1;
            v->filter_sign = 1;
        } else if (pos >= v->filter_upper) {
            v->filter_sliding_in = 1;
            v->filter_sign = -1;
        }
    }
    /* The fastest speeds move several filter settings a frame. */
    steps = v->filter_speed < 4 ? 5 - v->filter_speed : 1;
    for (i = 0; i < steps; ++i) {
        if (pos == v->filter_lower || pos == v->filter_upper) {
            if (v->filter_sliding_in)
                v->filter_sliding_in = 0;
            else
                v->filter_sign = (int16_t)-v->filter_sign;
        }
        pos += v->filter_sign;
    }
    if (pos < 1) pos = 1;
    if (pos > 63) pos = 63;
    v->filter_pos = (int16_t)pos;
    v->new_waveform = 1;
    v->filter_wait = (int16_t)(v->filter_speed - 3);
    if (v->filter_wait < 1) v->filter_wait = 1;
}

static unsigned filter_setting(const struct ahx_voice *v)
{
    const int pos = v->filter_pos;
    return pos < 1 ? 1 : pos > 63 ? 63 : (unsigned)pos;
}

/* Gathers the square of the current pulse width from the 128-sample squares,
   skipping samples for shorter wave lengths; only when the pulse width, filter or
   wave length changed, since that is most frames. */
static void build_square(struct ahx_voice *v)
{
    const int8_t *square;
    int width = v->square_pos << (5 - v->wave_length);
    if (width > 32) width = 64 - width;
    square = ahx_wave(filter_setting(v), 12 + (width > 0 ? width - 1 : 0));
    if (square != v->square_source || v->wave_length != v->square_length) {
        const unsigned step = 32 >> v->wave_length;
        unsigned i, n = 4U << v->wave_length;
        if (step == 1) {
            const uint32_t *from = (const uint32_t *)square;
            uint32_t *to = (uint32_t *)v->square_buffer;
            for (i = 0; i < n / 4; ++i) *to++ = *from++;
        } else {
            /* Four samples a pass: n is a multiple of 4. */
            const int8_t *from = square;
            for (i = 0; i < n; i += 4, from += 4 * step) {
                v->square_buffer[i] = from[0];
                v->square_buffer[i + 1] = from[step];
                v->square_buffer[i + 2] = from[2 * step];
                v->square_buffer[i + 3] = from[3 * step];
            }
        }
        v->square_source = square;
        v->square_length = v->wave_length;
        v->new_waveform = 1;
    }
    if (v->waveform != WAVE_SQUARE) v->new_waveform = 1;
    v->waveform = WAVE_SQUARE;
    v->plant_square = 0;
}

static void choose_waveform(struct ahx_voice *v)
{
    if (v->waveform == WAVE_SQUARE) {
        v->audio_source = v->square_buffer;
        return;
    }
    if (v->waveform == WAVE_NOISE) {
        v->audio_source = ahx_wave(filter_setting(v), AHX_WAVE_COUNT - 1) + ((v->noise_random & (2 * 0x280 - 1)) & ~1UL);
        v->noise_random += 2239384UL;
        v->noise_random = (((v->noise_random >> 8) | (v->noise_random << 24)) + 782323UL) ^ 75UL;
        v->noise_random -= 6735UL;
        return;
    }
    v->audio_source = ahx_wave(filter_setting(v), (v->waveform == WAVE_TRIANGLE ? 0 : 6) + v->wave_length);
}

/* a x b / 64 for volumes of 0..64 and the envelope's whole part: 16-bit factors,
   which the 68000 multiplies in one instruction. */
static int16_t volume_scale(int a, int b) { return (int16_t)(((int32_t)(int16_t)a * (int16_t)b) >> 6); }

static void final_period_and_volume(struct ahx_voice *v)
{
    int note = v->instr_period, period;
    if (!v->fixed_note)
        note += (v->override_transpose != NO_OVERRIDE ? v->override_transpose : v->transpose) + v->track_period - 1;
    if (note > 5 * 12) note = 5 * 12;
    if (note < 0) note = 0;
    period = ahx_periods[note];
    if (!v->fixed_note) period += v->period_slide_period;
    period += v->period_perf_slide_period + v->vibrato_period;
    if (period > 0x0D60) period = 0x0D60;
    if (period < 0x0071) period = 0x0071;
    v->audio_period = (int16_t)period;
    v->audio_volume = volume_scale(volume_scale(volume_scale(v->adsr_volume >> 8, v->note_max_volume), v->perf_sub_volume),
                                   v->track_master_volume);
}

void ahx_process_frame(struct ahx_voice *v)
{
    if (!v->track_on) return;
    if (v->note_delay_on) {
        if (v->note_delay_wait <= 0)
            ahx_process_step(v);
        else
            --v->note_delay_wait;
    }
    if (v->hard_cut) hard_cut(v);
    if (v->note_cut_on) note_cut(v);
    envelope(v);
    v->note_max_volume = clamp_volume(v->note_max_volume + v->volume_slide_up - v->volume_slide_down);
    portamento(v);
    if (v->vibrato_depth) {
        if (v->vibrato_delay <= 0) {
            v->vibrato_period = (int16_t)((ahx_vibrato[v->vibrato_current] * v->vibrato_depth) >> 7);
            v->plant_period = 1;
            v->vibrato_current = (int16_t)((v->vibrato_current + v->vibrato_speed) & 0x3F);
        } else {
            --v->vibrato_delay;
        }
    }
    play_list(v);
    if (v->period_perf_slide_on) {
        v->period_perf_slide_period = (int16_t)(v->period_perf_slide_period - v->period_perf_slide_speed);
        if (v->period_perf_slide_period) v->plant_period = 1;
    }
    square_modulation(v);
    filter_modulation(v);
    if (v->waveform == WAVE_SQUARE || v->plant_square) build_square(v);
    if (v->waveform == WAVE_NOISE) v->new_waveform = 1;
    if (v->new_waveform) choose_waveform(v);
    final_period_and_volume(v);
}
