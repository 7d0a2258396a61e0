/* Future Composer 1.3 ("SMOD") and 1.4 ("FC14"): the module's layout, the song's
   state and the voices. A song is a list of steps (13 bytes: pattern, note
   transpose and instrument transpose for each of the 4 voices, then a speed);
   patterns hold 32 rows of a note and an info byte. An instrument is a volume
   sequence (64 bytes: speed, frequency sequence, vibrato speed, depth and delay,
   then volumes and commands) that names a frequency sequence (64 bytes of
   transposes and waveform commands), both stepped every tick. */
#ifndef FC_H
#define FC_H

#include <stdint.h>

#define FC_VOICES 4
#define FC_NOTES 128
#define FC_STEP_BYTES 13
#define FC_PATTERN_BYTES 64   /* 32 rows of note and info */
#define FC_SEQUENCE_BYTES 64  /* one volume or frequency sequence */
#define FC_SAMPLES 10
#define FC13_WAVES 47
#define FC13_WAVE_BYTES 1344
#define FC14_WAVES 80
#define FC_MAX_WAVES (FC_SAMPLES + FC14_WAVES)
#define FC_PATTERN_END 0x49   /* a note byte that ends the pattern early */
#define FC_DEFAULT_SPEED 3
#define FC_PERIOD_MIN 113
#define FC_PERIOD_MAX 3424

/* Header fields: offsets and lengths after the 4-byte id, then 10 sample entries
   (length in words, loop start in bytes, loop length in words); FC14 adds 80
   waveform lengths in words. The steps follow the header. */
#define FC_HEADER_SMOD 100
#define FC_HEADER_FC14 180
#define FC_SAMPLE_INFO 40
#define FC_WAVE_LENGTHS 100

struct fc_layout {
    unsigned fc14;
    uint32_t steps, step_count;
    uint32_t patterns, pattern_count;
    uint32_t freqseqs, freqseq_count;
    uint32_t volseqs, volseq_count;
    uint32_t samples; /* sample data */
    uint32_t waves;   /* FC14: waveform data */
};

/* Reads and checks the layout from the first `present` bytes of a module of
   `size` bytes; 0 when it is a Future Composer module that can be played. */
long fc_read_layout(const uint8_t *data, uint32_t present, uint32_t size, struct fc_layout *layout);

/* Something Paula plays: a block started from its beginning, then its repeat. */
struct fc_wave {
    const int8_t *start;
    const int8_t *loop;
    uint16_t words;
    uint16_t loop_words;
};

/* Sample packs ("SSMP"): a sample that holds up to 20 others. */
#define FC_PACK_ENTRIES 20
#define FC_PACK_ENTRY_BYTES 16
#define FC_PACK_HEADER (4 + FC_PACK_ENTRIES * FC_PACK_ENTRY_BYTES)

struct fc_voice {
    unsigned index;
    uint16_t dmabit;
    /* Where the voice is in the song. */
    unsigned step;
    const uint8_t *pattern;
    unsigned row_byte; /* 0..64, two bytes a row */
    int8_t transpose;
    int8_t instrument_transpose;
    /* The note and its instrument. */
    uint8_t note;
    const uint8_t *volseq;
    unsigned vol_pos;
    uint8_t vol_speed, vol_counter, vol_sustain;
    int8_t vol_slide_speed;
    uint8_t vol_slide_time, vol_slide_tick;
    int volume;
    const uint8_t *freqseq;
    unsigned freq_pos;
    uint8_t freq_sustain;
    uint8_t freq_transpose;
    uint8_t vib_speed, vib_depth, vib_delay, vib_up;
    int vib_position;
    int8_t bend_speed;
    uint8_t bend_time;
    int bend;
    uint8_t portamento; /* the pattern's parameter */
    int porta;          /* its period offset so far */
    uint8_t porta_tick; /* it moves on every other tick */
    /* What Paula plays next. */
    struct fc_wave wave;
    unsigned restart; /* the wave starts over this tick */
};

struct fc_song {
    const uint8_t *data;
    uint32_t size;
    struct fc_layout layout;
    struct fc_wave waves[FC_MAX_WAVES];
    unsigned wave_count;
    uint8_t speed, counter;
    unsigned ended; /* the first voice came round this tick */
};

extern struct fc_song fc_song;
extern struct fc_voice fc_voices[FC_VOICES];

extern const int8_t fc_silence[2];
extern const uint16_t fc_periods[FC_NOTES];
extern const uint8_t fc13_wave_words[FC13_WAVES];
extern const int8_t fc13_waves[FC13_WAVE_BYTES];

/* module.c */
long fc_init(const uint8_t *data, uint32_t size);

/* song.c: 1 when this tick ended the song (once per pass). */
void fc_start(void);
unsigned fc_tick(void);

/* voice.c */
void fc_voice_reset(struct fc_voice *v);
void fc_voice_note(struct fc_voice *v, uint8_t note, unsigned instrument);
void fc_voice_tick(struct fc_voice *v);
void fc_voice_write(struct fc_voice *v);
void fc_voice_queue_repeat(struct fc_voice *v);

#endif
