/* Oktalyzer songs ("OKTASONG"): 4 to 8 voices on the four Paula channels. A
   channel marked in CMOD carries two voices, which the replay mixes on the 68000
   into a buffer that Paula plays at a fixed period; the other channels play their
   one voice's sample directly by DMA. */
#ifndef OKTALYZER_H
#define OKTALYZER_H

#include <stdint.h>

#define OKT_CHANNELS 4
#define OKT_MAX_VOICES 8
#define OKT_SAMPLES 36
#define OKT_SAMPLE_ENTRY 32
#define OKT_POSITIONS 128
#define OKT_MAX_PATTERNS 128
#define OKT_MAX_ROWS 256
#define OKT_NOTES 36
#define OKT_CELL 4

#define OKT_PERIOD_MIN 113
#define OKT_PERIOD_MAX 856

/* Sample modes: which channels a sample may play on. */
#define OKT_MODE_MIXED 0  /* 7-bit data, for mixed channels only */
#define OKT_MODE_DIRECT 1 /* 8-bit data, for channels of one voice only */
#define OKT_MODE_BOTH 2   /* 7-bit data, anywhere */

struct okt_sample {
    const int8_t *data;
    uint32_t length;      /* bytes present */
    uint32_t loop_start;  /* bytes */
    uint32_t loop_length; /* bytes; 0 when the sample plays once */
    uint8_t volume;
    uint8_t mode;
};

struct okt_pattern {
    const uint8_t *cells; /* null for a pattern missing from a cut file: empty rows */
    uint16_t rows;
};

struct okt_song {
    const uint8_t *data;
    uint32_t size;
    uint8_t mixed[OKT_CHANNELS]; /* 1 where the channel carries two voices */
    uint8_t voices;
    uint8_t initial_speed;
    uint16_t pattern_count;
    uint16_t length; /* positions */
    const uint8_t *positions;
    const uint8_t *sample_info; /* the SAMP chunk's entries, for their names */
    struct okt_pattern patterns[OKT_MAX_PATTERNS];
    struct okt_sample samples[OKT_SAMPLES];
};

/* Where the chunks of a song lie, as far as `present` bytes show them. */
struct okt_layout {
    uint32_t cmod, samp, spee, slen, plen, patt; /* offsets of the chunk bodies */
    uint32_t first_body;                         /* offset of the first chunk after PATT */
    uint16_t pattern_count, length;
};

/* 0 when the bytes are an Oktalyzer song whose header chunks lie within
   `present` and agree with each other and with the file's size. */
long okt_read_layout(const uint8_t *data, uint32_t present, uint32_t size, struct okt_layout *layout);
/* Reads the whole song (all `size` bytes present) into `song`; 0 on success. */
long okt_load(const uint8_t *data, uint32_t size, struct okt_song *song);

extern struct okt_song okt_song;
extern const uint16_t okt_periods[OKT_NOTES];

#endif
