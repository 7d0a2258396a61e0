/* AHX ("THX") and HivelyTracker ("HVL") songs: the module as the replay sees it
   and the replay's state. Both formats share one replay: HVL is AHX with more
   channels, two commands per row and a few extra commands. */
#ifndef AHX_AHX_H
#define AHX_AHX_H

#include <stdint.h>

#define AHX_MAX_CHANNELS 16
#define AHX_PAULA_CHANNELS 4
#define AHX_MAX_POSITIONS 1000
#define AHX_MAX_TRACKS 256
#define AHX_MAX_ROWS 64
#define AHX_MAX_INSTRUMENTS 64 /* 1..63; 0 means "no instrument" */
#define AHX_MAX_PLIST 256
#define AHX_NOTES 61           /* 0 (none) and C-1..B-5 */

enum { AHX_FORMAT_THX, AHX_FORMAT_HVL };

/* One row of a track, unpacked: AHX rows have one command, HVL rows two. */
struct ahx_step {
    uint8_t note, instrument;
    uint8_t fx[2], param[2];
};

/* One entry of an instrument's play list. */
struct ahx_plist_entry {
    uint8_t note, fixed, waveform; /* waveform 0 keeps the current one */
    uint8_t fx[2], param[2];
};

struct ahx_instrument {
    uint8_t volume, wave_length;
    uint8_t attack_frames, attack_volume, decay_frames, decay_volume;
    uint8_t sustain_frames, release_frames, release_volume;
    uint8_t filter_lower, filter_upper, filter_speed;
    uint8_t square_lower, square_upper, square_speed;
    uint8_t vibrato_delay, vibrato_depth, vibrato_speed;
    uint8_t hard_cut_release, hard_cut_frames;
    uint8_t plist_speed;
    uint16_t plist_length;
    const struct ahx_plist_entry *plist;
    const uint8_t *name; /* in the module, zero-terminated or 0 */
};

struct ahx_song {
    uint8_t format, revision;
    uint8_t channels;      /* in the module; the first four reach Paula */
    uint8_t speed_multiplier; /* ticks per 50 Hz frame: 1..4 */
    uint16_t positions, restart;
    uint8_t track_length, tracks; /* tracks: highest track number */
    uint8_t instruments, subsongs;
    const uint8_t *subsong_list;  /* big-endian start positions */
    const uint8_t *position_list; /* per position and channel: track, transpose */
    const uint8_t *title;
    const uint8_t *end;           /* the module's end: names stop there */
};

/* Laid out by ahx_read: the whole module is present. */
extern struct ahx_song ahx_song;
extern struct ahx_step ahx_steps[AHX_MAX_TRACKS][AHX_MAX_ROWS];
extern struct ahx_instrument ahx_instruments[AHX_MAX_INSTRUMENTS];

/* Checks a module's layout against the bytes present (size: the whole file's);
   0 when it is an AHX or HVL module this replay can play. */
long ahx_check(const uint8_t *data, uint32_t present, uint32_t size);
/* Unpacks a whole module into ahx_song, ahx_steps and ahx_instruments. */
long ahx_read(const uint8_t *data, uint32_t size);

/* ---- Waveforms ---------------------------------------------------------------- */

/* One filter setting's block: triangles and sawtooths of 4..128 samples, 32 square
   pulse widths of 128 samples and 1,920 samples of white noise. */
#define AHX_WAVE_TRIANGLES 0
#define AHX_WAVE_SAWTOOTHS 252
#define AHX_WAVE_SQUARES 504
#define AHX_WAVE_NOISE 4600
#define AHX_WAVE_BLOCK 6520
#define AHX_NOISE_LENGTH 1920
#define AHX_FILTERS 63 /* 1..31 low-pass, 32 none, 33..63 high-pass */
#define AHX_WAVES_SIZE (AHX_FILTERS * AHX_WAVE_BLOCK)

/* Block n - 1 holds filter setting n; setting 32 is the unfiltered waveforms.
   Waveforms are numbered in a block's order: 0-5 the triangles of 4..128
   samples, 6-11 the sawtooths, 12-43 the squares, 44 the noise. */
#define AHX_WAVE_COUNT 45
extern int8_t ahx_waves[AHX_WAVES_SIZE];
/* Builds the unfiltered waveforms and forgets the filtered ones. */
void ahx_build_waves(void);
/* Waveform `wave` through filter setting 1..63, built on first use. */
const int8_t *ahx_wave(unsigned setting, unsigned wave);

/* ---- Replay ------------------------------------------------------------------- */

extern const uint16_t ahx_periods[AHX_NOTES];
extern const int16_t ahx_vibrato[64];

struct ahx_voice;

void ahx_start(unsigned subsong);
/* One tick; returns non-zero when the song came round (its end was reached). */
int ahx_tick(void);
void ahx_silence(void);

#endif
