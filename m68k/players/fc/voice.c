/* One voice: the instrument's frequency and volume sequences, stepped every tick,
   vibrato, pitch bend and portamento, and what Paula is told. */
#include <varno/kit.h>

#include "fc.h"

struct fc_voice fc_voices[FC_VOICES];

/* What a voice plays before its first note, or with an instrument or frequency
   sequence the module lacks: silence that ends at once. */
static const uint8_t no_volseq[FC_SEQUENCE_BYTES] = {1, 0, 0, 0, 0, 0, 0xE1};
static const uint8_t no_freqseq[FC_SEQUENCE_BYTES] = {0xE1};

/* A sequence never runs more commands than this in one tick (a loop onto itself). */
#define COMMANDS_PER_TICK 16

/* The byte at a position of a 64-byte sequence; past its end, the end command. */
static uint8_t seq_byte(const uint8_t *seq, unsigned pos) { return pos < FC_SEQUENCE_BYTES ? seq[pos] : 0xE1; }
static uint8_t seq_arg(const uint8_t *seq, unsigned pos) { return pos < FC_SEQUENCE_BYTES ? seq[pos] : 0; }

static const uint8_t *volseq(unsigned n)
{
    const struct fc_layout *l = &fc_song.layout;
    return n < l->volseq_count ? fc_song.data + l->volseqs + n * FC_SEQUENCE_BYTES : no_volseq;
}

static const uint8_t *freqseq(unsigned n)
{
    const struct fc_layout *l = &fc_song.layout;
    return n < l->freqseq_count ? fc_song.data + l->freqseqs + n * FC_SEQUENCE_BYTES : no_freqseq;
}

void fc_voice_reset(struct fc_voice *v)
{
    const unsigned index = v->index;
    __builtin_memset(v, 0, sizeof *v);
    v->index = index;
    v->dmabit = (uint16_t)(1u << index);
    v->volseq = no_volseq;
    v->vol_pos = 5;
    v->vol_counter = 1;
    v->freqseq = no_freqseq;
    v->wave = fc_song.waves[0];
}

void fc_voice_note(struct fc_voice *v, uint8_t note, unsigned instrument)
{
    const uint8_t *vs = volseq(instrument);
    v->note = note;
    v->volseq = vs;
    v->vol_speed = vs[0];
    v->vol_counter = 1;
    v->vol_pos = 5;
    v->vol_sustain = 0;
    v->vol_slide_time = 0;
    v->freqseq = freqseq(vs[1]);
    v->freq_pos = 0;
    v->freq_sustain = 0;
    v->freq_transpose = 0;
    v->vib_speed = vs[2];
    v->vib_depth = vs[3];
    v->vib_delay = vs[4];
    v->vib_position = vs[3];
    v->vib_up = 0; /* the period goes down first */
    v->bend_time = 0;
    v->bend = 0;
    v->porta = 0;
}

/* ---- Waveforms ------------------------------------------------------------------- */

static const struct fc_wave *wave(unsigned n) { return n < fc_song.wave_count ? &fc_song.waves[n] : 0; }

/* Starts a wave from its beginning: the voice's DMA stops now and starts again
   once every voice has had its tick. */
static void start_wave(struct fc_voice *v, const struct fc_wave *w)
{
    v->wave = *w;
    if (!v->restart) custom.dmacon = v->dmabit;
    v->restart = 1;
    /* A new waveform starts the volume sequence again. */
    v->vol_pos = 5;
    v->vol_counter = 1;
    v->vol_sustain = 0;
    v->vol_slide_time = 0;
}

/* Changes the wave without starting it again: Paula takes up its repeating part
   (a sample's loop) when the block it plays comes to its end. */
static void change_wave(struct fc_voice *v, const struct fc_wave *w)
{
    v->wave.loop = w->loop;
    v->wave.loop_words = w->loop_words;
    if (!v->restart) {
        custom.aud[v->index].ac_ptr = w->loop;
        custom.aud[v->index].ac_len = w->loop_words;
    }
}

/* Entry `entry` of the sample pack that sample `n` holds. */
static void start_packed(struct fc_voice *v, unsigned n, unsigned entry)
{
    const struct fc_wave *pack = wave(n);
    const uint8_t *p, *e;
    uint32_t bytes, offset, words, loop_start, loop_words;
    struct fc_wave w;
    if (n >= FC_SAMPLES || !pack || entry >= FC_PACK_ENTRIES) return;
    p = (const uint8_t *)pack->start;
    bytes = 2ul * pack->words;
    if (bytes < FC_PACK_HEADER || !kit_is_id(p, "SSMP")) return;
    e = p + 4 + entry * FC_PACK_ENTRY_BYTES;
    offset = (FC_PACK_HEADER + kit_be32(e)) & ~1ul;
    words = kit_be16(e + 4);
    loop_start = kit_be16(e + 6) & ~1u;
    loop_words = kit_be16(e + 8);
    if (words == 0 || !kit_fits(offset, 2 * words, bytes)) return;
    w.start = (const int8_t *)p + offset;
    w.words = (uint16_t)words;
    w.loop = fc_silence;
    w.loop_words = 1;
    if (loop_words > 1 && loop_start / 2 + loop_words <= words) {
        w.loop = w.start + loop_start;
        w.loop_words = (uint16_t)loop_words;
    }
    start_wave(v, &w);
}

/* ---- Sequences -------------------------------------------------------------------- */

/* The frequency sequence: waveform commands, then one transpose a tick. */
static void step_freqseq(struct fc_voice *v)
{
    unsigned guard;
    if (v->freq_sustain && --v->freq_sustain) return;
    for (guard = 0; guard < COMMANDS_PER_TICK; ++guard) {
        const uint8_t *s = v->freqseq;
        const unsigned pos = v->freq_pos;
        const uint8_t command = seq_byte(s, pos);
        const struct fc_wave *w;
        switch (command) {
        case 0xE0: /* loop to a position */
            v->freq_pos = seq_arg(s, pos + 1) & 0x3F;
            break;
        case 0xE1: /* end: the last transpose stays */
            return;
        case 0xE2: /* set a waveform, starting it from its beginning */
            if ((w = wave(seq_arg(s, pos + 1))) != 0) start_wave(v, w);
            v->freq_pos = pos + 2;
            break;
        case 0xE3: /* new vibrato */
            v->vib_speed = seq_arg(s, pos + 1);
            v->vib_depth = seq_arg(s, pos + 2);
            v->freq_pos = pos + 3;
            break;
        case 0xE4: /* change the waveform */
            if ((w = wave(seq_arg(s, pos + 1))) != 0) change_wave(v, w);
            v->freq_pos = pos + 2;
            break;
        case 0xE7: /* go on in another frequency sequence */
            v->freqseq = freqseq(seq_arg(s, pos + 1));
            v->freq_pos = 0;
            break;
        case 0xE8: /* hold for some ticks */
            v->freq_sustain = seq_arg(s, pos + 1);
            v->freq_pos = pos + 2;
            return;
        case 0xE9: /* 1.4: a sample of a sample pack; in 1.3, a transpose */
            if (!fc_song.layout.fc14) goto transpose;
            start_packed(v, seq_arg(s, pos + 1), seq_arg(s, pos + 2));
            v->freq_pos = pos + 3;
            break;
        case 0xEA: /* pitch bend: speed and time */
            v->bend_speed = (int8_t)seq_arg(s, pos + 1);
            v->bend_time = seq_arg(s, pos + 2);
            v->freq_pos = pos + 3;
            break;
        default: /* a transpose; with bit 7, a fixed note */
        transpose:
            v->freq_transpose = command;
            v->freq_pos = pos + 1;
            return;
        }
    }
}

static int clamp_volume(int volume) { return volume < 0 ? 0 : volume > 64 ? 64 : volume; }

/* A volume slide moves on every other tick, `time` steps in all. */
static void slide_volume(struct fc_voice *v)
{
    v->vol_slide_tick ^= 1;
    if (!v->vol_slide_tick) return;
    --v->vol_slide_time;
    v->volume = clamp_volume(v->volume + v->vol_slide_speed);
}

/* The volume sequence: one value every `speed` ticks, with its commands. */
static void step_volseq(struct fc_voice *v)
{
    unsigned guard;
    /* A hold of n ticks counts the tick that set it. */
    if (v->vol_sustain && --v->vol_sustain) return;
    if (v->vol_slide_time) {
        slide_volume(v);
        return;
    }
    if (--v->vol_counter) return;
    v->vol_counter = v->vol_speed;
    for (guard = 0; guard < COMMANDS_PER_TICK; ++guard) {
        const uint8_t *s = v->volseq;
        const unsigned pos = v->vol_pos;
        const uint8_t command = seq_byte(s, pos);
        switch (command) {
        case 0xE0: { /* loop: the position counts the sequence's whole 64 bytes */
            const unsigned to = seq_arg(s, pos + 1) & 0x3F;
            if (to < 5) return; /* into the header: the volume stays */
            v->vol_pos = to;
            break;
        }
        case 0xE1: /* end: the volume stays */
            return;
        case 0xE8: /* hold for some ticks */
            v->vol_sustain = seq_arg(s, pos + 1);
            v->vol_pos = pos + 2;
            return;
        case 0xEA: /* 1.4: slide, speed and time, from this tick on; 1.3 has no slide */
            if (!fc_song.layout.fc14) goto volume;
            v->vol_slide_speed = (int8_t)seq_arg(s, pos + 1);
            v->vol_slide_time = seq_arg(s, pos + 2);
            v->vol_slide_tick = 0;
            v->vol_pos = pos + 3;
            if (v->vol_slide_time) slide_volume(v);
            return;
        default:
        volume:
            v->volume = clamp_volume(command);
            v->vol_pos = pos + 1;
            return;
        }
    }
}

/* ---- Pitch ------------------------------------------------------------------------ */

/* Vibrato swings in period steps that double for each octave below the top
   one, so that it sounds as wide on every note. */
static int vibrato_offset(int offset, unsigned note)
{
    unsigned octave;
    for (octave = 2 * (note & 0x7F) + 160; octave < 256; octave += 24) offset *= 2;
    return offset;
}

static int vibrato(struct fc_voice *v, unsigned note)
{
    const int range = 2 * v->vib_depth;
    if (v->vib_delay) {
        --v->vib_delay;
        return 0;
    }
    /* At either end the swing turns, and holds there for that tick. */
    if (v->vib_up) {
        if (v->vib_position >= range)
            v->vib_up = 0;
        else
            v->vib_position += v->vib_speed;
    } else {
        if (v->vib_position <= 0)
            v->vib_up = 1;
        else
            v->vib_position -= v->vib_speed;
    }
    return vibrato_offset(v->vib_position - v->vib_depth, note);
}

static int bend(struct fc_voice *v)
{
    if (v->bend_time) {
        --v->bend_time;
        v->bend -= v->bend_speed;
    }
    return v->bend;
}

/* Portamento slides the period by the parameter's low 5 bits: up in pitch for
   parameters up to 0x1F, down for larger ones. 1.4 slides on every other tick. */
static int portamento(struct fc_voice *v)
{
    const uint8_t p = v->portamento;
    if (p) {
        v->porta_tick ^= 1;
        if (!fc_song.layout.fc14 || v->porta_tick) v->porta += p <= 0x1F ? -(int)p : (int)(p & 0x1F);
    }
    return v->porta;
}

void fc_voice_tick(struct fc_voice *v)
{
    unsigned note;
    int period;
    step_freqseq(v);
    step_volseq(v);
    note = v->freq_transpose;
    if (!(note & 0x80)) note += (unsigned)(v->note + v->transpose);
    note &= 0x7F;
    period = fc_periods[note];
    period += vibrato(v, note);
    period += bend(v);
    period += portamento(v);
    if (period < FC_PERIOD_MIN) period = FC_PERIOD_MIN;
    if (period > FC_PERIOD_MAX) period = FC_PERIOD_MAX;
    custom.aud[v->index].ac_per = (uint16_t)period;
    custom.aud[v->index].ac_vol = (uint16_t)v->volume;
}

/* The block that starts the wave, written while the voice's DMA is off. */
void fc_voice_write(struct fc_voice *v)
{
    custom.aud[v->index].ac_ptr = v->wave.start;
    custom.aud[v->index].ac_len = v->wave.words;
}

/* The repeat, written once DMA has taken up the start. */
void fc_voice_queue_repeat(struct fc_voice *v)
{
    custom.aud[v->index].ac_ptr = v->wave.loop;
    custom.aud[v->index].ac_len = v->wave.loop_words;
    v->restart = 0;
}
