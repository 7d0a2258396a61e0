/* Reading an MMD0..MMD3 file. All pointers in the file are offsets from its start;
   each one is checked against the bytes at hand before anything behind it is
   read, so a cut or damaged file is refused (or plays what it holds) instead of
   sending the replay outside the module. */
#include "med.h"

#include <varno/kit.h>

#define HEADER_BYTES 52
#define SONG_BYTES 788        /* MMD0song and MMD2song alike */
#define SAMPLE_ENTRY 8        /* rep, replen, midi channel and preset, volume, transpose */
#define SYNTH_HEADER 278      /* SynthInstr up to its waveform pointers */
#define SYNTH_WAVEFORMS 64
#define PLAYSEQ_HEADER 42     /* name, reserved, length */
#define EXP_BYTES 52          /* MMD0exp as far as this player reads it */
#define INSTRUMENT_NAME 40
#define MAX_SAMPLE 0x1FFFEUL  /* what one Paula block can hold */

/* Offsets inside the MMD header, the song and the expansion structure. */
#define H_SONG 8
#define H_BLOCKS 16
#define H_SAMPLES 24
#define H_EXPANSION 32
#define S_NUMBLOCKS 504
#define S_SONGLEN 506
#define S_PLAYSEQ 508
#define S_PSEQTABLE 508
#define S_SECTIONS 512
#define S_TRACKVOLS 516
#define S_NUMTRACKS 520
#define S_NUMPSEQS 522
#define S_TEMPO 764
#define S_TRANSPOSE 766
#define S_FLAGS 767
#define S_FLAGS2 768
#define S_TEMPO2 769
#define S_TRACKVOL 770
#define S_MASTERVOL 786
#define S_NUMSAMPLES 787
#define E_NEXTMOD 0
#define E_INSTR_EXT 4
#define E_ANNOTATION 12
#define E_INSTR_INFO 20
#define E_SONGNAME 44

static int read_offset(const uint8_t *data, uint32_t at, uint32_t need, uint32_t present, uint32_t *offset)
{
    if (!kit_fits(at, 4, present)) return 0;
    *offset = kit_be32(data + at);
    return *offset != 0 && kit_fits(*offset, need, present);
}

static int is_mmd(const uint8_t *p) { return p[0] == 'M' && p[1] == 'M' && p[2] == 'D' && p[3] >= '0' && p[3] <= '3'; }

/* The blocks: their cells must lie in the file, and no block may hold more tracks
   than the player can play. Blocks past the bytes present (while checking) are
   left for the load to judge. */
static long read_blocks(struct med_song *s, uint32_t present)
{
    const uint32_t table = kit_be32(s->header + H_BLOCKS);
    unsigned b;
    if (!kit_fits(table, 4UL * s->blocks, s->size)) return MED_BAD_OFFSET;
    s->tracks = 0;
    for (b = 0; b < s->blocks; ++b) {
        uint32_t block, tracks, lines, head = s->version == 0 ? 2 : 8, cell = s->version == 0 ? 3 : 4;
        s->block_lines[b] = 0;
        s->block_tracks[b] = 0;
        s->block_cells[b] = 0;
        if (!kit_fits(table + 4 * b, 4, present)) continue;
        block = kit_be32(s->data + table + 4 * b);
        if (block == 0) continue; /* a missing block plays as silence */
        if (!kit_fits(block, head, present)) {
            if (!kit_fits(block, head, s->size)) return MED_BAD_OFFSET;
            continue;
        }
        tracks = s->version == 0 ? s->data[block] : kit_be16(s->data + block);
        lines = (s->version == 0 ? s->data[block + 1] : kit_be16(s->data + block + 2)) + 1UL;
        if (tracks > MED_MAX_TRACKS) return MED_TOO_MANY_TRACKS;
        if (tracks == 0 || !kit_fits(block + head, tracks * lines * cell, s->size)) return MED_BAD_OFFSET;
        if (lines > 0xFFFF) lines = 0xFFFF; /* the last line of a 65536-line block is not reached */
        s->block_cells[b] = block + head;
        s->block_lines[b] = (uint16_t)lines;
        s->block_tracks[b] = (uint8_t)tracks;
        if (tracks > s->tracks) s->tracks = tracks;
    }
    return MED_OK;
}

static int add_order(struct med_song *s, unsigned block, unsigned section)
{
    if (block >= s->blocks) return 1; /* a sequence naming a block the file lacks skips it */
    if (s->orders == MED_MAX_ORDERS) return 0;
    s->order_block[s->orders] = (uint16_t)block;
    s->order_section[s->orders] = (uint16_t)section;
    ++s->orders;
    return 1;
}

/* A play sequence past the bytes present during a check is left for the load to
   judge, which has the whole file; one that lies outside the file is refused. */
static long unread(const struct med_song *s, uint32_t at, uint32_t need, uint32_t present)
{
    uint32_t offset;
    if (present == s->size || !kit_fits(at, 4, s->size)) return MED_BAD_OFFSET;
    if (!kit_fits(at, 4, present)) return MED_OK;
    offset = kit_be32(s->data + at);
    return offset != 0 && kit_fits(offset, need, s->size) ? MED_OK : MED_BAD_OFFSET;
}

/* The play sequence, flattened: MMD0/1 have one; MMD2+ have sections, each naming
   a play sequence, whose entries from 0x8000 up are commands rather than blocks. */
static long read_sequence(struct med_song *s, uint32_t present)
{
    const unsigned length = kit_be16(s->song + S_SONGLEN);
    unsigned i, j;
    s->orders = 0;
    if (length == 0) return MED_NO_SEQUENCE;
    if (s->version < 2) {
        if (length > 256) return MED_NO_SEQUENCE;
        for (i = 0; i < length; ++i)
            if (!add_order(s, s->song[S_PLAYSEQ + i], 0)) return MED_TOO_BIG;
    } else {
        const unsigned pseqs = kit_be16(s->song + S_NUMPSEQS);
        uint32_t sections, table;
        const uint32_t song = (uint32_t)(s->song - s->data);
        if (!read_offset(s->data, song + S_SECTIONS, 2 * length, present, &sections))
            return unread(s, song + S_SECTIONS, 2 * length, present);
        if (!read_offset(s->data, song + S_PSEQTABLE, 4 * pseqs, present, &table))
            return unread(s, song + S_PSEQTABLE, 4 * pseqs, present);
        for (i = 0; i < length; ++i) {
            const unsigned pseq = kit_be16(s->data + sections + 2 * i), first = s->orders;
            uint32_t seq;
            unsigned entries;
            if (pseq >= pseqs) continue;
            if (!read_offset(s->data, table + 4 * pseq, PLAYSEQ_HEADER, present, &seq))
                return unread(s, table + 4 * pseq, PLAYSEQ_HEADER, present);
            entries = kit_be16(s->data + seq + 40);
            if (!kit_fits(seq + PLAYSEQ_HEADER, 2UL * entries, s->size)) return MED_BAD_OFFSET;
            if (!kit_fits(seq + PLAYSEQ_HEADER, 2UL * entries, present)) return MED_OK;
            for (j = 0; j < entries; ++j) {
                const unsigned entry = kit_be16(s->data + seq + PLAYSEQ_HEADER + 2 * j);
                if (entry < 0x8000 && !add_order(s, entry, first)) return MED_TOO_BIG;
            }
        }
    }
    for (i = 0; i < s->orders; ++i)
        if (s->block_lines[s->order_block[i]] != 0) return MED_OK;
    return present == s->size || s->orders == 0 ? MED_NO_SEQUENCE : MED_OK;
}

/* The expansion's per-instrument entry: hold, decay, finetune and the long loop. */
static void read_instrument_ext(const struct med_song *s, unsigned i, struct med_instrument *ins, uint32_t *loop_start,
                                uint32_t *loop_length, int *looped)
{
    uint32_t exp, table;
    unsigned entries, entry;
    const uint8_t *e;
    if (!read_offset(s->data, (uint32_t)(s->header - s->data) + H_EXPANSION, EXP_BYTES, s->size, &exp)) return;
    if (!read_offset(s->data, exp + E_INSTR_EXT, 1, s->size, &table)) return;
    entries = kit_be16(s->data + exp + 8);
    entry = kit_be16(s->data + exp + 10);
    if (i >= entries || entry == 0 || !kit_fits(table + i * entry, entry, s->size)) return;
    e = s->data + table + i * entry;
    ins->hold = e[0];
    ins->decay = e[1];
    if (entry >= 4) ins->finetune = (int8_t)e[3];
    /* OctaMED keeps a loop flag here too, but a song written with the flag clear
       and a repeat given still loops, as the references play it. */
    if (entry >= 6) *looped |= e[5] & 1;
    if (entry >= 18) {
        *loop_start = kit_be32(e + 10);
        *loop_length = kit_be32(e + 14);
    }
}

/* The loop, kept inside the sample (a sample of several octaves gives it in its
   shortest octave). */
static void set_loop(struct med_instrument *ins, int looped, uint32_t start, uint32_t length)
{
    const uint32_t room = ins->octaves ? ins->part_length : ins->length;
    if (!looped || length < 4 || start >= room) {
        ins->loop_start = ins->loop_length = 0;
        return;
    }
    if (length > room - start) length = room - start;
    ins->loop_start = start & ~1UL;
    ins->loop_length = length & ~1UL;
}

static void read_instrument(struct med_song *s, unsigned i, uint32_t table)
{
    struct med_instrument *ins = &s->instruments[i];
    const uint8_t *entry = s->song + i * SAMPLE_ENTRY;
    uint32_t at, length, loop_start = 2UL * kit_be16(entry), loop_length = 2UL * kit_be16(entry + 2);
    int type, looped = kit_be16(entry + 2) > 1;
    ins->kind = MED_NONE;
    ins->volume = entry[6] > 64 ? 64 : entry[6];
    ins->transpose = (int8_t)entry[7];
    ins->finetune = 0;
    ins->hold = ins->decay = 0;
    ins->octave_type = ins->octaves = 0;
    ins->part_length = 0;
    read_instrument_ext(s, i, ins, &loop_start, &loop_length, &looped);
    if (entry[4] != 0 || table == 0 || !read_offset(s->data, table + 4 * i, 6, s->size, &at)) return; /* MIDI or none */
    length = kit_be32(s->data + at);
    type = (int16_t)kit_be16(s->data + at + 4);
    if (type == -1 || type == -2) {
        const unsigned waveforms = kit_be16(s->data + at + 20);
        unsigned w;
        if (waveforms == 0 || waveforms > SYNTH_WAVEFORMS || !kit_fits(at, SYNTH_HEADER + 4 * waveforms, s->size))
            return;
        for (w = 0; w < waveforms; ++w) {
            const uint32_t wf = at + kit_be32(s->data + at + SYNTH_HEADER + 4 * w);
            /* A hybrid's first waveform is a whole sample with its own header. */
            const uint32_t need = type == -2 && w == 0 ? 6 : 2;
            if (!kit_fits(wf, need, s->size)) return;
            if (type == -2 && w == 0) {
                if (!kit_fits(wf + 6, kit_be32(s->data + wf), s->size)) return;
            } else if (!kit_fits(wf + 2, 2UL * kit_be16(s->data + wf), s->size)) {
                return;
            }
        }
        ins->kind = type == -1 ? MED_SYNTH : MED_HYBRID;
        ins->start = s->data + at;
        if (type == -2) {
            const uint32_t wf = at + kit_be32(s->data + at + SYNTH_HEADER);
            ins->length = kit_be32(s->data + wf) & ~1UL;
        }
    } else if (type >= 0 && (type & 0x30) == 0) {
        /* 16-bit and stereo samples (OctaMED Soundstudio) stay silent. */
        static const uint8_t octaves[8] = {0, 5, 3, 2, 4, 6, 7, 0};
        at += 6;
        if (length > s->size - at) length = s->size - at; /* a cut file: play what is there */
        ins->kind = length >= 2 ? MED_SAMPLE : MED_NONE;
        ins->start = s->data + at;
        ins->length = length & ~1UL;
        ins->octaves = octaves[type & 7];
        ins->octave_type = ins->octaves ? (uint8_t)(type & 7) : 0;
        /* Octave n holds 2^n times the shortest's bytes. */
        if (ins->octaves) ins->part_length = (ins->length / ((1UL << ins->octaves) - 1)) & ~1UL;
        if (ins->octaves && ins->part_length < 2) ins->kind = MED_NONE;
    }
    if (ins->length > MAX_SAMPLE) ins->length = MAX_SAMPLE;
    set_loop(ins, looped, loop_start, loop_length);
}

/* Reads the song whose MMD header lies at `header`. With present < size (a check)
   the parts past the bytes present are taken on trust from their offsets. */
static long read_song(struct med_song *s, const uint8_t *data, uint32_t present, uint32_t size, uint32_t header)
{
    uint32_t song, samples;
    unsigned i;
    long result;
    if (present > size) present = size;
    if (!kit_fits(header, HEADER_BYTES, present) || !is_mmd(data + header)) return MED_NOT_MMD;
    s->data = data;
    s->size = size;
    s->header = data + header;
    s->version = (unsigned)(data[header + 3] - '0');
    if (!read_offset(data, header + H_SONG, SONG_BYTES, present, &song)) return MED_BAD_OFFSET;
    s->song = data + song;
    s->blocks = kit_be16(s->song + S_NUMBLOCKS);
    if (s->blocks == 0) return MED_NO_SEQUENCE;
    if (s->blocks > MED_MAX_BLOCKS) return MED_TOO_BIG;
    if (s->version >= 2 && kit_be16(s->song + S_NUMTRACKS) > MED_MAX_TRACKS) return MED_TOO_MANY_TRACKS;
    result = read_blocks(s, present);
    if (result != MED_OK) return result;
    result = read_sequence(s, present);
    if (result != MED_OK) return result;
    if (s->tracks == 0) s->tracks = MED_PAULA;
    s->tempo = kit_be16(s->song + S_TEMPO);
    s->transpose = (int8_t)s->song[S_TRANSPOSE];
    s->flags = s->song[S_FLAGS];
    s->flags2 = s->song[S_FLAGS2];
    s->tempo2 = s->song[S_TEMPO2];
    s->master_volume = s->song[S_MASTERVOL] > 64 || s->song[S_MASTERVOL] == 0 ? 64 : s->song[S_MASTERVOL];
    {
        /* MMD2 and later keep the track volumes behind a pointer, one per track. */
        uint32_t volumes = 0;
        const unsigned listed = s->version < 2 ? 16 : kit_be16(s->song + S_NUMTRACKS);
        if (s->version >= 2 && !read_offset(data, song + S_TRACKVOLS, 1, present, &volumes)) volumes = 0;
        for (i = 0; i < MED_MAX_TRACKS; ++i) {
            uint8_t v = 64;
            if (s->version < 2) v = s->song[S_TRACKVOL + i];
            else if (volumes && i < listed && kit_fits(volumes + i, 1, present)) v = data[volumes + i];
            s->track_volume[i] = v > 64 || v == 0 ? 64 : v;
        }
    }
    if (present < size) return MED_OK;
    samples = kit_be32(s->header + H_SAMPLES);
    for (i = 0; i < MED_INSTRUMENTS; ++i) read_instrument(s, i, i < s->song[S_NUMSAMPLES] ? samples : 0);
    return MED_OK;
}

static struct med_song check_song; /* apart from the playing song: a check may come while it plays */

long med_check(const uint8_t *data, uint32_t present, uint32_t size)
{
    return read_song(&check_song, data, present, size, 0);
}

/* The songs of a multi-song file: each has an MMD header of its own, chained from
   the expansion structure of the one before. */
static uint32_t song_header(const uint8_t *data, uint32_t size, unsigned index)
{
    uint32_t header = 0, exp, next;
    unsigned n;
    for (n = 0; n < index; ++n) {
        if (!read_offset(data, header + H_EXPANSION, EXP_BYTES, size, &exp)) return 0;
        if (!read_offset(data, exp + E_NEXTMOD, HEADER_BYTES, size, &next) || next <= header) return 0;
        if (!is_mmd(data + next)) return 0;
        header = next;
    }
    return header;
}

unsigned med_song_count(const uint8_t *data, uint32_t size)
{
    unsigned n = 1;
    while (n < MED_MAX_SONGS && song_header(data, size, n) != 0) ++n;
    return n;
}

long med_load(struct med_song *song, const uint8_t *data, uint32_t size, unsigned subsong)
{
    const uint32_t header = subsong == 0 ? 0 : song_header(data, size, subsong);
    if (subsong != 0 && header == 0) return MED_NOT_MMD;
    return read_song(song, data, size, size, header);
}

void med_cell(const struct med_song *s, unsigned block, unsigned line, unsigned track, uint8_t cell[4])
{
    const unsigned tracks = s->block_tracks[block];
    const uint8_t *p;
    cell[0] = cell[1] = cell[2] = cell[3] = 0;
    if (track >= tracks || line >= s->block_lines[block]) return;
    if (s->version == 0) {
        /* xynnnnnn iiiicccc dddddddd: x and y are the instrument's bits 4 and 5 */
        p = s->data + s->block_cells[block] + 3UL * (line * tracks + track);
        cell[0] = p[0] & 0x3F;
        cell[1] = (uint8_t)(p[1] >> 4 | (p[0] & 0x80) >> 3 | (p[0] & 0x40) >> 1);
        cell[2] = p[1] & 0x0F;
        cell[3] = p[2];
    } else {
        p = s->data + s->block_cells[block] + 4UL * (line * tracks + track);
        cell[0] = p[0] & 0x7F;
        cell[1] = p[1] & 0x3F;
        cell[2] = p[2];
        cell[3] = p[3];
    }
}

static const uint8_t *exp_text(const struct med_song *s, unsigned field, uint32_t *length)
{
    uint32_t exp, text;
    if (!read_offset(s->data, (uint32_t)(s->header - s->data) + H_EXPANSION, EXP_BYTES, s->size, &exp)) return 0;
    if (!read_offset(s->data, exp + field, 1, s->size, &text)) return 0;
    *length = kit_be32(s->data + exp + field + 4);
    if (*length > s->size - text) *length = s->size - text;
    return *length ? s->data + text : 0;
}

const uint8_t *med_song_name(const struct med_song *s, uint32_t *length) { return exp_text(s, E_SONGNAME, length); }

const uint8_t *med_annotation(const struct med_song *s, uint32_t *length) { return exp_text(s, E_ANNOTATION, length); }

const uint8_t *med_instrument_name(const struct med_song *s, unsigned index, uint32_t *length)
{
    uint32_t exp, table;
    unsigned entries, entry;
    if (!read_offset(s->data, (uint32_t)(s->header - s->data) + H_EXPANSION, EXP_BYTES, s->size, &exp)) return 0;
    if (!read_offset(s->data, exp + E_INSTR_INFO, 1, s->size, &table)) return 0;
    entries = kit_be16(s->data + exp + 24);
    entry = kit_be16(s->data + exp + 26);
    if (index >= entries || entry < INSTRUMENT_NAME || !kit_fits(table + index * entry, INSTRUMENT_NAME, s->size))
        return 0;
    *length = INSTRUMENT_NAME;
    return s->data + table + index * entry;
}
