/* Synth and hybrid sounds: a volume sequence and a waveform sequence, each stepped
   once every `speed` ticks. Bytes below 0x80 are values (a volume, a waveform
   number); the others are commands:
     volume sequence:   F0 SPD  F1 WAI  F2 CHD  F3 CHU  F4 EN1  F5 EN2  F6 EST
                        FA JWS  FB HLT  FE JMP  FF END
     waveform sequence: F0 SPD  F1 WAI  F2 CHD  F3 CHU  F4 VBD  F5 VBS  F6 RES
                        F7 VWF  FA JVS  FB HLT  FC ARP  FD ARE  FE JMP  FF END
   The load checked the instrument's waveforms; positions are kept inside the
   sequences' 128 bytes, and a step runs a bounded number of commands, so a
   sequence that jumps to itself cannot hang the tick. */
#include "voice.h"

#include <varno/kit.h>

#define TABLE 128
#define COMMANDS_PER_STEP 16

static unsigned table_length(const uint8_t *ins, unsigned field)
{
    const unsigned length = kit_be16(ins + field);
    return length > TABLE ? TABLE : length;
}

/* Waveform n of the instrument: its data and length in words (0 when absent). */
static const uint8_t *waveform(const uint8_t *ins, unsigned n, uint16_t *words)
{
    const uint8_t *wf;
    *words = 0;
    if (n >= kit_be16(ins + MED_SYNTH_WFORMS)) return 0;
    wf = ins + kit_be32(ins + MED_SYNTH_WAVEFORMS + 4 * n);
    *words = kit_be16(wf);
    return wf + 2;
}

void med_synth_start(struct med_voice *v)
{
    struct med_synth *s = &v->synth;
    const uint8_t *ins = v->instrument->start;
    uint8_t *bytes = (uint8_t *)s;
    unsigned i;
    for (i = 0; i < sizeof *s; ++i) bytes[i] = 0;
    s->instrument = ins;
    s->vol_speed = ins[MED_SYNTH_VOLSPEED] ? ins[MED_SYNTH_VOLSPEED] : 1;
    s->wf_speed = ins[MED_SYNTH_WFSPEED] ? ins[MED_SYNTH_WFSPEED] : 1;
    s->vol_count = s->wf_count = 1; /* both sequences step on the note's first tick */
    s->volume = 64;
    s->note = v->note;
}

void med_synth_jump(struct med_voice *v, unsigned position)
{
    if (v->synth.instrument && position < TABLE) {
        v->synth.wf_pos = (uint8_t)position;
        v->synth.wf_halted = 0;
        v->synth.wf_wait = 0;
    }
}

static void set_waveform(struct med_voice *v, unsigned n)
{
    uint16_t words;
    const uint8_t *data;
    if (v->instrument->kind == MED_HYBRID) return; /* a hybrid keeps its sample */
    data = waveform(v->synth.instrument, n, &words);
    if (!data || words == 0) return;
    v->repeat = data;
    v->repeat_words = words;
    if (v->trigger || v->block == (const uint8_t *)med_silence) {
        v->block = data;
        v->block_words = words;
        v->trigger = 1;
    } else {
        v->new_block = 1; /* Paula takes it up when the playing cycle ends */
    }
}

static void volume_step(struct med_voice *v)
{
    struct med_synth *s = &v->synth;
    const uint8_t *table = s->instrument + MED_SYNTH_VOLTBL;
    const unsigned length = table_length(s->instrument, MED_SYNTH_VOLLEN);
    unsigned n;
    if (s->vol_wait) {
        --s->vol_wait;
        return;
    }
    for (n = 0; n < COMMANDS_PER_STEP && !s->vol_halted; ++n) {
        const unsigned b = s->vol_pos < length ? table[s->vol_pos] : 0xFF;
        const unsigned arg = s->vol_pos + 1u < length ? table[s->vol_pos + 1] : 0;
        if (b < 0x80) {
            s->volume = (uint8_t)(b > 64 ? 64 : b);
            ++s->vol_pos;
            return;
        }
        switch (b) {
        case 0xF0:
            s->vol_speed = (uint8_t)(arg ? arg : 1);
            break;
        case 0xF1:
            s->vol_wait = (uint8_t)arg;
            s->vol_pos = (uint8_t)(s->vol_pos + 2);
            return;
        case 0xF2:
            s->vol_step = (int8_t)-(int)(arg & 0x7F);
            break;
        case 0xF3:
            s->vol_step = (int8_t)(arg & 0x7F);
            break;
        case 0xF4:
        case 0xF5:
            s->envelope = (uint8_t)(arg + 1);
            s->envelope_loop = b == 0xF5;
            s->envelope_pos = 0;
            break;
        case 0xF6:
            s->envelope = 0;
            ++s->vol_pos;
            continue;
        case 0xFA:
            s->wf_pos = (uint8_t)(arg & 0x7F);
            s->wf_halted = 0;
            s->wf_wait = 0;
            break;
        case 0xFE:
            s->vol_pos = (uint8_t)(arg & 0x7F);
            continue;
        case 0xFB:
        case 0xFF:
            s->vol_halted = 1;
            return;
        default:
            ++s->vol_pos;
            continue;
        }
        s->vol_pos = (uint8_t)(s->vol_pos + 2);
    }
}

static void waveform_step(struct med_voice *v)
{
    struct med_synth *s = &v->synth;
    const uint8_t *table = s->instrument + MED_SYNTH_WFTBL;
    const unsigned length = table_length(s->instrument, MED_SYNTH_WFLEN);
    unsigned n;
    if (s->wf_wait) {
        --s->wf_wait;
        return;
    }
    for (n = 0; n < COMMANDS_PER_STEP && !s->wf_halted; ++n) {
        const unsigned b = s->wf_pos < length ? table[s->wf_pos] : 0xFF;
        const unsigned arg = s->wf_pos + 1u < length ? table[s->wf_pos + 1] : 0;
        if (b < 0x80) {
            set_waveform(v, b);
            ++s->wf_pos;
            return;
        }
        switch (b) {
        case 0xF0:
            s->wf_speed = (uint8_t)(arg ? arg : 1);
            break;
        case 0xF1:
            s->wf_wait = (uint8_t)arg;
            s->wf_pos = (uint8_t)(s->wf_pos + 2);
            return;
        case 0xF2:
            s->period_step = (int16_t)(arg & 0x7F);
            break;
        case 0xF3:
            s->period_step = (int16_t)-(int)(arg & 0x7F);
            break;
        case 0xF4:
            s->vib_depth = (uint8_t)arg;
            break;
        case 0xF5:
            s->vib_speed = (uint8_t)arg;
            break;
        case 0xF6:
            s->period_shift = 0;
            s->period_step = 0;
            ++s->wf_pos;
            continue;
        case 0xF7:
            s->vib_wave = (uint8_t)(arg + 1);
            break;
        case 0xFA:
            s->vol_pos = (uint8_t)(arg & 0x7F);
            s->vol_halted = 0;
            s->vol_wait = 0;
            break;
        case 0xFC: {
            /* The notes up to ARE are played one a tick. */
            unsigned end = s->wf_pos + 1u;
            while (end < length && table[end] != 0xFD) ++end;
            s->arp_start = (uint8_t)(s->wf_pos + 1);
            s->arp_pos = s->arp_start;
            s->wf_pos = (uint8_t)(end < length ? end + 1 : end);
            continue;
        }
        case 0xFE:
            s->wf_pos = (uint8_t)(arg & 0x7F);
            continue;
        case 0xFB:
        case 0xFF:
            s->wf_halted = 1;
            return;
        default:
            ++s->wf_pos;
            continue;
        }
        s->wf_pos = (uint8_t)(s->wf_pos + 2);
    }
}

static int envelope_volume(struct med_synth *s)
{
    uint16_t words;
    const uint8_t *data = waveform(s->instrument, s->envelope - 1u, &words);
    int value;
    if (!data || words == 0) {
        s->envelope = 0;
        return s->volume;
    }
    if (s->envelope_pos >= 2 * words) {
        if (!s->envelope_loop) {
            s->envelope = 0;
            return s->volume;
        }
        s->envelope_pos = 0;
    }
    value = ((int8_t)data[s->envelope_pos++] + 128) >> 2;
    return value > 64 ? 64 : value;
}

static int arpeggio_shift(struct med_voice *v)
{
    struct med_synth *s = &v->synth;
    const uint8_t *table = s->instrument + MED_SYNTH_WFTBL;
    const unsigned length = table_length(s->instrument, MED_SYNTH_WFLEN);
    unsigned step;
    if (!s->arp_start) return 0;
    if (s->arp_pos >= length || table[s->arp_pos] == 0xFD) s->arp_pos = s->arp_start;
    if (s->arp_pos >= length || table[s->arp_pos] == 0xFD) return 0;
    step = table[s->arp_pos++];
    return (int)med_note_period(v->finetune, (int)s->note + (int)step) - (int)med_note_period(v->finetune, s->note);
}

static int vibrato_shift(struct med_synth *s)
{
    int value;
    if (!s->vib_depth || !s->vib_speed) return 0;
    if (s->vib_wave) {
        uint16_t words;
        const uint8_t *data = waveform(s->instrument, s->vib_wave - 1u, &words);
        value = data && words ? (int8_t)data[s->vib_pos % (2u * words)] : 0;
    } else {
        const unsigned index = (s->vib_pos >> 2) & 0x1F;
        value = (s->vib_pos & 0x80) ? -(int)pt_sine[index] : (int)pt_sine[index];
        value >>= 1;
    }
    s->vib_pos = (uint8_t)(s->vib_pos + s->vib_speed);
    return value * s->vib_depth >> 7;
}

int med_synth_tick(struct med_voice *v)
{
    struct med_synth *s = &v->synth;
    int volume;
    /* A step's SPD counts from that step on. */
    if (--s->vol_count == 0) {
        volume_step(v);
        s->vol_count = s->vol_speed;
        volume = s->volume + s->vol_step;
        s->volume = (uint8_t)(volume < 0 ? 0 : volume > 64 ? 64 : volume);
    }
    if (--s->wf_count == 0) {
        waveform_step(v);
        s->wf_count = s->wf_speed;
        s->period_shift = (int16_t)(s->period_shift + s->period_step);
    }
    if (s->envelope) s->volume = (uint8_t)envelope_volume(s);
    return s->period_shift + arpeggio_shift(v) + vibrato_shift(s);
}
