/* Recognising a module and finding its parts. Every read stays inside the bytes
   that are present: during a check only the first 128 KB of the file are, while
   the size the host reports is the whole file's. */
#include "protracker.h"

#define TITLE_BYTES 20
#define SAMPLE_HEADER 30
#define SAMPLE_NAME 22
#define MAGIC_OFFSET 1080

static const char magics[][4] = {{'M', '.', 'K', '.'}, {'M', '!', 'K', '!'}, {'F', 'L', 'T', '4'},
                                 {'4', 'C', 'H', 'N'}};

static int is_text(unsigned char c) { return c == 0 || (c >= 32 && c < 127); }

static int has_magic(const unsigned char *p)
{
    unsigned int i;
    for (i = 0; i < sizeof magics / sizeof magics[0]; ++i)
        if (p[0] == magics[i][0] && p[1] == magics[i][1] && p[2] == magics[i][2] && p[3] == magics[i][3])
            return 1;
    return 0;
}

/* SoundTracker files carry no magic, so everything that can be judged is judged:
   names are text, sample headers are within their limits. */
static int soundtracker_headers_sane(const unsigned char *data)
{
    unsigned int i, s;
    unsigned long total = 0;
    for (i = 0; i < TITLE_BYTES; ++i)
        if (!is_text(data[i])) return 0;
    for (s = 0; s < 15; ++s) {
        const unsigned char *h = data + TITLE_BYTES + s * SAMPLE_HEADER;
        unsigned short length = pt_word(h + 22), start = pt_word(h + 26), repeat = pt_word(h + 28);
        for (i = 0; i < SAMPLE_NAME; ++i)
            if (!is_text(h[i])) return 0;
        if (h[24] > 15 || h[25] > 64 || length > 32768) return 0;
        /* Loop starts were counted in bytes by some SoundTrackers, in words by others. */
        if (length != 0 && repeat > 1 && start / 2 + repeat > length + 1) return 0;
        total += length;
    }
    return total != 0;
}

/* Every cell of a SoundTracker pattern: a sample of 0..15 and a period of 0 or a
   note the tracker could enter (with some room for hand-edited values). */
static int soundtracker_patterns_sane(const unsigned char *p, unsigned int patterns)
{
    unsigned long cells = (unsigned long)patterns * (PT_PATTERN_BYTES / 4);
    for (; cells != 0; --cells, p += 4) {
        unsigned short period = (unsigned short)((p[0] & 0x0F) << 8 | p[1]);
        if ((p[0] & 0xF0) != 0) return 0;
        if (period != 0 && (period < 108 || period > 907)) return 0;
    }
    return 1;
}

/* Packed formats keep the tag at 1080 but store their patterns otherwise
   (NoiseRunner, Unic Tracker's three-byte cells): read as ProTracker cells, much
   of their first patterns names samples past 31 or periods no tracker has. Real
   modules have none of those (the shared songs) or a few hand-edited ones, so
   more than one cell in 16 refuses the file. At most the first 8 patterns are
   judged, and only those whose bytes are present. */
#define JUDGED_PATTERNS 8

static int protracker_cells_plausible(const unsigned char *p, unsigned int patterns)
{
    unsigned long cells = (unsigned long)patterns * (PT_PATTERN_BYTES / 4), odd = 0, i;
    for (i = 0; i < cells; ++i, p += 4) {
        unsigned short period = (unsigned short)((p[0] & 0x0F) << 8 | p[1]);
        if ((p[0] & 0xE0) != 0 || (period != 0 && (period < 28 || period > 1712))) ++odd;
    }
    return odd * 16 <= cells;
}

long pt_read_layout(const unsigned char *data, unsigned long present, unsigned long size, int format,
                    struct pt_layout *layout)
{
    unsigned int samples = format == PT_FORMAT_SOUNDTRACKER ? 15 : 31;
    unsigned long orders = TITLE_BYTES + samples * SAMPLE_HEADER + 2;
    unsigned long pattern_data = orders + PT_MAX_POSITIONS + (samples == 31 ? 4 : 0);
    unsigned int length, used_max = 0, all_max = 0, i, limit;
    unsigned long patterns, sample_bytes = 0;

    if (present > size) present = size;
    if (present < pattern_data + PT_PATTERN_BYTES) return -1;
    if (samples == 31 && !has_magic(data + MAGIC_OFFSET)) return -1;
    if (samples == 15 && !soundtracker_headers_sane(data)) return -1;

    length = data[orders - 2];
    if (length < 1 || length > PT_MAX_POSITIONS) return -1;
    limit = samples == 15 ? 64 : PT_MAX_PATTERNS;
    for (i = 0; i < PT_MAX_POSITIONS; ++i) {
        unsigned int pattern = data[orders + i];
        if (pattern >= PT_MAX_PATTERNS) return -1;
        if (i < length && pattern >= limit) return -1;
        if (pattern > all_max) all_max = pattern;
        if (i < length && pattern > used_max) used_max = pattern;
    }
    /* Trackers store every pattern up to the highest number in the whole table;
       a file that lacks the unused ones still plays when the used ones are there. */
    patterns = all_max + 1;
    if (pattern_data + patterns * PT_PATTERN_BYTES > size) patterns = used_max + 1;
    if (pattern_data + patterns * PT_PATTERN_BYTES > size) return -1;

    if (samples == 31) {
        unsigned long judged = patterns < JUDGED_PATTERNS ? patterns : JUDGED_PATTERNS;
        while (judged != 0 && pattern_data + judged * PT_PATTERN_BYTES > present) --judged;
        if (!protracker_cells_plausible(data + pattern_data, (unsigned int)judged)) return -1;
    }

    for (i = 0; i < samples; ++i)
        sample_bytes += 2UL * pt_word(data + TITLE_BYTES + i * SAMPLE_HEADER + 22);
    if (samples == 15) {
        unsigned long expected = pattern_data + patterns * PT_PATTERN_BYTES + sample_bytes;
        /* A little junk at the end or a slightly short last sample is common. */
        if (size > expected + 4096 || size + sample_bytes / 8 + 256 < expected) return -1;
        if (present < pattern_data + patterns * PT_PATTERN_BYTES) return -1;
        if (!soundtracker_patterns_sane(data + pattern_data, (unsigned int)patterns)) return -1;
    }

    layout->samples = (unsigned short)samples;
    layout->song_length = (unsigned short)length;
    layout->patterns = (unsigned short)patterns;
    layout->orders = orders;
    layout->pattern_data = pattern_data;
    layout->sample_data = pattern_data + patterns * PT_PATTERN_BYTES;
    return 0;
}
