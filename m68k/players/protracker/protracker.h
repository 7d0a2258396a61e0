/* The ProTracker player's C side: the module layout (shared by the check and the
   replay), the replay's entry points called from header.S, and the tables. */
#ifndef PROTRACKER_H
#define PROTRACKER_H

#define PT_NOTES 36          /* three octaves per finetune */
#define PT_ROWS 64
#define PT_MAX_POSITIONS 128
#define PT_MAX_PATTERNS 128
#define PT_PATTERN_BYTES 1024 /* 64 rows x 4 channels x 4 bytes */
#define PT_MAX_SUBSONGS 64

/* Formats, as the two players built from these sources tell them apart. */
#define PT_FORMAT_PROTRACKER 0   /* 31 samples, a magic at 1080 */
#define PT_FORMAT_SOUNDTRACKER 1 /* 15 samples, no magic */

/* Bits of pt_tick's result, acted on by player.c. */
#define PT_TICK_SONG_END 1
#define PT_TICK_SET_TIMER 2

struct pt_layout {
    unsigned short samples;       /* 15 or 31 */
    unsigned short song_length;   /* positions, 1..128 */
    unsigned short patterns;      /* patterns stored in the file */
    unsigned long orders;         /* offset of the 128-byte position table */
    unsigned long pattern_data;   /* offset of pattern 0 */
    unsigned long sample_data;    /* offset of sample 1's data */
};

/* Fills the layout when the data is a module of the format; 0 then, else -1.
   present = bytes readable at data, size = the whole file's size. */
long pt_read_layout(const unsigned char *data, unsigned long present, unsigned long size, int format,
                    struct pt_layout *layout);

static inline unsigned short pt_word(const unsigned char *p) { return (unsigned short)(p[0] << 8 | p[1]); }

/* Entry points for player.c. */
long pt_init(const unsigned char *data, unsigned long size, long format);
void pt_start(unsigned int subsong);
unsigned long pt_last_subsong(void);
void pt_stop(void);
unsigned long pt_tick(void);

/* What the song holds, for the module information. */
unsigned short pt_song_timer(void);
unsigned int pt_song_patterns(void);
unsigned int pt_song_length(void);
unsigned int pt_sample_count(void);
const unsigned char *pt_title(void); /* 20 bytes, NUL-padded */
const unsigned char *pt_sample_name(unsigned int index);

extern const unsigned short pt_periods[16][PT_NOTES];
extern const unsigned char pt_sine[32];

#endif
