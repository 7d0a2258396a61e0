/* The OctaMED player's C side: the song as read from an MMD0..MMD3 file (shared by
   the check and the replay), the voices, and the entry points of each part. */
#ifndef MED_H
#define MED_H

#include <stdint.h>

#define MED_INSTRUMENTS 63
#define MED_MAX_TRACKS 8    /* 5 to 8 are mixed in pairs on the four Paula channels */
#define MED_PAULA 4
#define MED_MAX_BLOCKS 1024
#define MED_MAX_ORDERS 1024 /* play sequence entries, all sections together */
#define MED_MAX_SONGS 16
#define MED_NOTES 36        /* three octaves for Paula's samples */

/* Song flags (MMD0song.flags and flags2). */
#define MED_FLAG_FILTER 0x01
#define MED_FLAG_VOLHEX 0x10
#define MED_FLAG_STSLIDE 0x20 /* slides skip the line's first tick, as in SoundTracker */
#define MED_FLAG_8CHANNEL 0x40
#define MED_FLAG2_BPM 0x20
#define MED_FLAG2_LPB 0x1F

/* Why a file is refused, for the tests and for whoever reads the player. */
enum med_refusal {
    MED_OK = 0,
    MED_NOT_MMD = 1,         /* no MMD0..MMD3 id or too short */
    MED_BAD_OFFSET = 2,      /* a structure lies outside the file */
    MED_NO_SEQUENCE = 3,     /* an empty play sequence or no playable block */
    MED_TOO_MANY_TRACKS = 4, /* more than 8 channels (OctaMED Soundstudio) */
    MED_TOO_BIG = 5          /* more blocks or sequence entries than the player keeps */
};

enum med_kind { MED_NONE, MED_SAMPLE, MED_SYNTH, MED_HYBRID };

struct med_instrument {
    const uint8_t *start; /* sample data, or the synth instrument's header */
    uint32_t length;      /* bytes of sample data */
    uint32_t loop_start, loop_length; /* bytes; loop_length 0 = played once */
    uint8_t kind, volume, hold, decay;
    int8_t transpose, finetune;
    uint8_t octave_type;  /* 1..6: an IFF sample of several octaves, else 0 */
    uint8_t octaves;      /* its octaves, the shortest (highest) first */
    uint32_t part_length; /* bytes of the shortest octave; the loop is given in it */
};

struct med_song {
    const uint8_t *data; /* the whole file */
    uint32_t size;
    const uint8_t *header, *song; /* this subsong's MMD header and song structure */
    unsigned version;             /* 0..3 */
    unsigned tracks;              /* channels the song plays: the most of any block */
    unsigned blocks, orders;
    uint16_t tempo;
    uint8_t tempo2, flags, flags2, master_volume;
    int8_t transpose;
    uint8_t track_volume[MED_MAX_TRACKS];
    uint32_t block_cells[MED_MAX_BLOCKS]; /* offset of each block's first cell */
    uint16_t block_lines[MED_MAX_BLOCKS];
    uint8_t block_tracks[MED_MAX_BLOCKS];
    uint16_t order_block[MED_MAX_ORDERS];
    uint16_t order_section[MED_MAX_ORDERS]; /* first entry of the order's section */
    struct med_instrument instruments[MED_INSTRUMENTS];
};

/* module.c: reading the file. Every structure is checked against the bytes
   present before it is read. */
long med_check(const uint8_t *data, uint32_t present, uint32_t size);
long med_load(struct med_song *song, const uint8_t *data, uint32_t size, unsigned subsong);
unsigned med_song_count(const uint8_t *data, uint32_t size);
/* A block's cell of a track at a line: note, instrument, command, parameter. */
void med_cell(const struct med_song *song, unsigned block, unsigned line, unsigned track, uint8_t cell[4]);
/* Expansion data: the song name, annotation and instrument names (null if absent). */
const uint8_t *med_song_name(const struct med_song *song, uint32_t *length);
const uint8_t *med_annotation(const struct med_song *song, uint32_t *length);
const uint8_t *med_instrument_name(const struct med_song *song, unsigned index, uint32_t *length);

/* replay.c */
extern struct med_song med_song;
long med_init(const uint8_t *data, uint32_t size);
unsigned med_subsongs(void);
void med_start(unsigned subsong);
void med_stop(void);
/* One tick; returns MED_TICK_* bits. */
#define MED_TICK_SONG_END 1
#define MED_TICK_SET_TIMER 2
unsigned med_tick(void);
uint16_t med_timer(void);

extern const unsigned short pt_periods[16][MED_NOTES];
extern const unsigned char pt_sine[32];

#endif
