/* Reading an Oktalyzer file: "OKTASONG", then chunks of an id and a big-endian
   length: CMOD, SAMP, SPEE, SLEN, PLEN and PATT in that order, one PBOD per
   pattern and one SBOD per sample that has a length. */
#include "oktalyzer.h"

#include <varno/kit.h>

#define MAGIC_BYTES 8
#define CHUNK_HEADER 8

struct okt_song okt_song;

/* The body offset of the chunk `id` at `offset` whose length is `length` exactly
   (or, with length 0, any length); 0 when it is not there. */
static uint32_t expect_chunk(const uint8_t *data, uint32_t present, uint32_t offset, const char *id, uint32_t length)
{
    if (!kit_fits(offset, CHUNK_HEADER, present) || !kit_is_id(data + offset, id)) return 0;
    if (kit_be32(data + offset + 4) != length) return 0;
    if (!kit_fits(offset + CHUNK_HEADER, length, present)) return 0;
    return offset + CHUNK_HEADER;
}

long okt_read_layout(const uint8_t *data, uint32_t present, uint32_t size, struct okt_layout *layout)
{
    unsigned i;
    if (present > size || present < MAGIC_BYTES || !kit_is_id(data, "OKTA") || !kit_is_id(data + 4, "SONG")) return -1;
    layout->cmod = expect_chunk(data, present, MAGIC_BYTES, "CMOD", 8);
    if (!layout->cmod) return -1;
    for (i = 0; i < OKT_CHANNELS; ++i)
        if (kit_be16(data + layout->cmod + 2 * i) > 1) return -1;
    layout->samp = expect_chunk(data, present, layout->cmod + 8, "SAMP", OKT_SAMPLES * OKT_SAMPLE_ENTRY);
    if (!layout->samp) return -1;
    layout->spee = expect_chunk(data, present, layout->samp + OKT_SAMPLES * OKT_SAMPLE_ENTRY, "SPEE", 2);
    if (!layout->spee) return -1;
    layout->slen = expect_chunk(data, present, layout->spee + 2, "SLEN", 2);
    if (!layout->slen) return -1;
    layout->plen = expect_chunk(data, present, layout->slen + 2, "PLEN", 2);
    if (!layout->plen) return -1;
    layout->patt = expect_chunk(data, present, layout->plen + 2, "PATT", OKT_POSITIONS);
    if (!layout->patt) return -1;
    layout->first_body = layout->patt + OKT_POSITIONS;
    layout->pattern_count = kit_be16(data + layout->slen);
    layout->length = kit_be16(data + layout->plen);
    if (kit_be16(data + layout->spee) == 0) return -1;
    if (layout->pattern_count == 0 || layout->pattern_count > OKT_MAX_PATTERNS) return -1;
    if (layout->length == 0 || layout->length > OKT_POSITIONS) return -1;
    for (i = 0; i < layout->length; ++i)
        if (data[layout->patt + i] >= layout->pattern_count) return -1;
    /* The first pattern follows at once in every song Oktalyzer writes. */
    if (kit_fits(layout->first_body, 4, present) && !kit_is_id(data + layout->first_body, "PBOD")) return -1;
    return 0;
}

static void read_samples(struct okt_song *song)
{
    unsigned i;
    for (i = 0; i < OKT_SAMPLES; ++i) {
        const uint8_t *entry = song->sample_info + i * OKT_SAMPLE_ENTRY;
        struct okt_sample *s = &song->samples[i];
        s->data = 0;
        s->length = kit_be32(entry + 20);
        s->loop_start = 2UL * kit_be16(entry + 24);
        s->loop_length = 2UL * kit_be16(entry + 26);
        s->volume = entry[29] > 64 ? 64 : entry[29];
        s->mode = (uint8_t)kit_be16(entry + 30);
    }
}

/* A sample's data comes from the next SBOD; the SBOD's length rules where the
   entry and the chunk disagree, and a loop is cut to the data there is. */
static void attach_sample(struct okt_sample *s, const uint8_t *body, uint32_t length)
{
    if (length > s->length) length = s->length;
    s->data = (const int8_t *)body;
    s->length = length & ~1UL; /* Paula plays words */
    if (s->loop_length <= 2 || s->loop_start >= s->length) {
        s->loop_length = 0;
    } else if (s->loop_start + s->loop_length > s->length) {
        s->loop_length = s->length - s->loop_start;
    }
    if (s->loop_length <= 2) s->loop_length = 0;
}

/* The sample that the next SBOD belongs to: the next one with a length. */
static int next_sample_with_data(const struct okt_song *song, int after)
{
    int i;
    for (i = after + 1; i < OKT_SAMPLES; ++i)
        if (song->samples[i].length != 0) return i;
    return OKT_SAMPLES;
}

long okt_load(const uint8_t *data, uint32_t size, struct okt_song *song)
{
    struct okt_layout layout;
    uint32_t offset;
    unsigned i, patterns = 0;
    int sample;
    if (okt_read_layout(data, size, size, &layout) != 0) return -1;
    song->data = data;
    song->size = size;
    song->voices = 0;
    for (i = 0; i < OKT_CHANNELS; ++i) {
        song->mixed[i] = (uint8_t)kit_be16(data + layout.cmod + 2 * i);
        song->voices = (uint8_t)(song->voices + 1 + song->mixed[i]);
    }
    song->initial_speed = (uint8_t)(kit_be16(data + layout.spee) > 255 ? 255 : kit_be16(data + layout.spee));
    song->pattern_count = layout.pattern_count;
    song->length = layout.length;
    song->positions = data + layout.patt;
    song->sample_info = data + layout.samp;
    for (i = 0; i < OKT_MAX_PATTERNS; ++i) {
        song->patterns[i].cells = 0;
        song->patterns[i].rows = 64;
    }
    read_samples(song);
    sample = next_sample_with_data(song, -1);
    /* A chunk cut short by the end of the file gives what it holds; an unknown
       chunk is passed over. */
    for (offset = layout.first_body; kit_fits(offset, CHUNK_HEADER, size);) {
        const uint8_t *body = data + offset + CHUNK_HEADER;
        uint32_t length = kit_be32(data + offset + 4), available = size - offset - CHUNK_HEADER;
        if (length > available) length = available;
        if (kit_is_id(data + offset, "PBOD") && patterns < layout.pattern_count) {
            struct okt_pattern *p = &song->patterns[patterns++];
            if (length >= 2) {
                uint32_t row_bytes = (uint32_t)song->voices * OKT_CELL;
                uint32_t rows = kit_be16(body), whole = (length - 2) / row_bytes;
                if (rows > whole) rows = whole;
                if (rows > OKT_MAX_ROWS) rows = OKT_MAX_ROWS;
                if (rows) {
                    p->cells = body + 2;
                    p->rows = (uint16_t)rows;
                }
            }
        } else if (kit_is_id(data + offset, "SBOD") && sample < OKT_SAMPLES) {
            attach_sample(&song->samples[sample], body, length);
            sample = next_sample_with_data(song, sample);
        }
        offset += CHUNK_HEADER + length;
    }
    /* Samples whose data never came play nothing. */
    for (; sample < OKT_SAMPLES; sample = next_sample_with_data(song, sample)) song->samples[sample].length = 0;
    for (i = 0; i < OKT_SAMPLES; ++i)
        if (song->samples[i].data == 0 || song->samples[i].length < 2) song->samples[i].length = 0;
    return 0;
}
