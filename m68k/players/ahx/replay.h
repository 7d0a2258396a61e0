/* The replay's state: the song's position and tempo, and per channel what its
   instrument, envelope, modulations and effects are doing. */
#ifndef AHX_REPLAY_H
#define AHX_REPLAY_H

#include "ahx.h"

#define NO_OVERRIDE 1000 /* vc.override_transpose when the track's transpose applies */

enum { WAVE_TRIANGLE, WAVE_SAWTOOTH, WAVE_SQUARE, WAVE_NOISE };

struct envelope {
    int16_t attack_frames, decay_frames, sustain_frames, release_frames;
    int16_t attack_step, decay_step, release_step; /* per frame, 8.8 fixed point */
};

struct ahx_voice {
    uint8_t track_on;
    int16_t track, transpose, next_track;
    int16_t override_transpose;
    const struct ahx_instrument *instrument;
    struct envelope adsr;
    int16_t adsr_volume; /* 8.8 */
    int16_t note_max_volume, perf_sub_volume, track_master_volume;
    int16_t volume_slide_up, volume_slide_down;
    int16_t track_period, instr_period;
    uint8_t fixed_note, plant_period;
    int16_t period_slide_speed, period_slide_period, period_slide_limit;
    uint8_t period_slide_on, period_slide_with_limit;
    int16_t period_perf_slide_speed, period_perf_slide_period;
    uint8_t period_perf_slide_on;
    int16_t vibrato_delay, vibrato_depth, vibrato_speed, vibrato_current, vibrato_period;
    uint8_t hard_cut_release, hard_cut;
    int16_t hard_cut_release_frames;
    uint8_t note_cut_on, note_delay_on;
    int16_t note_cut_wait, note_delay_wait;
    /* Play list. */
    int16_t perf_current, perf_speed, perf_wait;
    /* Waveform, square and filter modulation. */
    uint8_t wave_length, waveform, new_waveform;
    int16_t square_pos, square_lower, square_upper, square_sign, square_wait;
    uint8_t square_on, square_init, square_sliding_in, ignore_square, plant_square;
    int16_t filter_pos, filter_lower, filter_upper, filter_sign, filter_wait, filter_speed;
    uint8_t filter_on, filter_init, filter_sliding_in, ignore_filter;
    uint32_t noise_random;
    const int8_t *audio_source;
    int16_t audio_period, audio_volume;
    /* The square of the current pulse width, gathered from the square table
       at square_source for square_length. */
    const int8_t *square_source;
    uint8_t square_length;
    int8_t square_buffer[128] __attribute__((aligned(4)));
};

struct ahx_state {
    int16_t tempo, step_wait_frames;
    uint16_t pos_nr, note_nr;
    uint16_t pos_jump, pos_jump_note;
    uint8_t pattern_break, get_new_position, song_end, stopped;
};

extern struct ahx_state ahx_state;
extern struct ahx_voice ahx_voices[AHX_MAX_CHANNELS];

/* A row of a channel's track (replay.c). */
void ahx_process_step(struct ahx_voice *v);
/* One frame of a channel: envelope, slides, play list, modulations (voice.c). */
void ahx_process_frame(struct ahx_voice *v);
/* A play-list command (voice.c). */
void ahx_plist_command(struct ahx_voice *v, unsigned fx, unsigned param);
/* Puts a channel's period, volume and waveform on Paula (paula.c). */
void ahx_paula_start(void);
void ahx_paula_update(unsigned channel, struct ahx_voice *v, unsigned volume);

/* The track a channel plays at a position, and its transpose. */
static inline const uint8_t *ahx_position(unsigned pos, unsigned channel)
{
    return ahx_song.position_list + 2UL * (pos * ahx_song.channels + channel);
}

#endif
