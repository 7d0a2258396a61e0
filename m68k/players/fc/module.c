/* The module: its layout, checked before anything is read, and the waveforms and
   samples that Paula will play, clamped to the bytes the file has. */
#include <varno/kit.h>

#include "fc.h"

struct fc_song fc_song;

/* Silence for what a cut or empty sample would play, and for what follows a sample
   without a loop: Paula needs a word to loop. */
const int8_t fc_silence[2] __attribute__((aligned(2)));

static uint32_t field(const uint8_t *data, unsigned index) { return kit_be32(data + 4 + 4 * index); }

/* An area of `count` blocks of `block` bytes at the offset and length of header
   fields `index` and `index + 1`; 0 when it lies inside the file. */
static long area(const uint8_t *data, uint32_t size, unsigned index, uint32_t block, uint32_t *offset,
                 uint32_t *count)
{
    *offset = field(data, index);
    *count = field(data, index + 1) / block;
    return kit_fits(*offset, *count * block, size) ? 0 : -1;
}

long fc_read_layout(const uint8_t *data, uint32_t present, uint32_t size, struct fc_layout *layout)
{
    uint32_t header, step_bytes;
    if (present < FC_HEADER_SMOD) return -1;
    if (kit_is_id(data, "SMOD"))
        layout->fc14 = 0;
    else if (kit_is_id(data, "FC14"))
        layout->fc14 = 1;
    else
        return -1;
    header = layout->fc14 ? FC_HEADER_FC14 : FC_HEADER_SMOD;
    if (present < header) return -1;
    step_bytes = field(data, 0);
    layout->steps = header;
    layout->step_count = step_bytes / FC_STEP_BYTES;
    if (layout->step_count == 0 || !kit_fits(header, step_bytes, size)) return -1;
    /* The counts are capped by the lengths, so a huge length fails kit_fits. */
    if (area(data, size, 1, FC_PATTERN_BYTES, &layout->patterns, &layout->pattern_count) ||
        area(data, size, 3, FC_SEQUENCE_BYTES, &layout->freqseqs, &layout->freqseq_count) ||
        area(data, size, 5, FC_SEQUENCE_BYTES, &layout->volseqs, &layout->volseq_count))
        return -1;
    if (layout->pattern_count == 0 || layout->volseq_count == 0 || layout->freqseq_count == 0) return -1;
    /* Sample data may be cut short (it is clamped), but must start inside the file. */
    layout->samples = field(data, 7);
    layout->waves = layout->fc14 ? field(data, 8) : 0;
    if (layout->samples > size || layout->waves > size) return -1;
    return 0;
}

/* A block of `words` words at `offset`, as much of it as the file holds. */
static uint16_t clamp_words(uint32_t offset, uint32_t words, uint32_t size)
{
    const uint32_t have = offset < size ? (size - offset) / 2 : 0;
    return (uint16_t)(words < have ? words : have);
}

static void set_wave(struct fc_wave *w, const int8_t *start, uint16_t words)
{
    if (words == 0) {
        start = fc_silence;
        words = 1;
    }
    /* Paula reads words: an odd offset in the file plays from the byte before. */
    start = (const int8_t *)((uintptr_t)start & ~(uintptr_t)1);
    w->start = w->loop = start;
    w->words = w->loop_words = words;
}

/* A sample plays once from its start, then repeats its loop, or silence. */
static void set_sample(struct fc_wave *w, const uint8_t *info, uint32_t offset, uint32_t size)
{
    const uint16_t words = clamp_words(offset, kit_be16(info), size);
    const uint32_t loop_start = kit_be16(info + 2) & ~1u;
    const uint32_t loop_words = kit_be16(info + 4);
    set_wave(w, (const int8_t *)fc_song.data + offset, words);
    if (words && loop_words > 1 && loop_start / 2 + loop_words <= words) {
        w->loop = w->start + loop_start;
        w->loop_words = (uint16_t)loop_words;
    } else {
        w->loop = fc_silence;
        w->loop_words = 1;
    }
}

long fc_init(const uint8_t *data, uint32_t size)
{
    struct fc_song *s = &fc_song;
    uint32_t offset;
    unsigned i;
    if (fc_read_layout(data, size, size, &s->layout) != 0) return -1;
    s->data = data;
    s->size = size;
    offset = s->layout.samples;
    for (i = 0; i < FC_SAMPLES; ++i) {
        const uint8_t *info = data + FC_SAMPLE_INFO + 6 * i;
        const uint32_t words = kit_be16(info);
        set_sample(&s->waves[i], info, offset, size);
        /* 1.4 keeps a spare word after each sample. */
        offset += 2 * words + (s->layout.fc14 && words ? 2 : 0);
    }
    if (s->layout.fc14) {
        offset = s->layout.waves;
        for (i = 0; i < FC14_WAVES; ++i) {
            const uint32_t words = data[FC_WAVE_LENGTHS + i];
            set_wave(&s->waves[FC_SAMPLES + i], (const int8_t *)data + offset, clamp_words(offset, words, size));
            offset += 2 * words;
        }
        s->wave_count = FC_SAMPLES + FC14_WAVES;
    } else {
        offset = 0;
        for (i = 0; i < FC13_WAVES; ++i) {
            set_wave(&s->waves[FC_SAMPLES + i], fc13_waves + offset, fc13_wave_words[i]);
            offset += 2u * fc13_wave_words[i];
        }
        s->wave_count = FC_SAMPLES + FC13_WAVES;
    }
    return 0;
}
