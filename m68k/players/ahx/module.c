/* Reading AHX and HVL modules. Both start with a 14-byte (AHX) or 16-byte (HVL)
   header, then the subsong list, the position list, the tracks, the instruments
   with their play lists, and the names (the song's title, then one per
   instrument). The layout is walked once to check it and once more to unpack it:
   nothing is read that the walk has not found inside the module. */
#include "ahx.h"

#include <string.h>
#include <varno/kit.h>

struct ahx_song ahx_song;
struct ahx_step ahx_steps[AHX_MAX_TRACKS][AHX_MAX_ROWS];
struct ahx_instrument ahx_instruments[AHX_MAX_INSTRUMENTS];
static struct ahx_plist_entry plist_entries[AHX_MAX_INSTRUMENTS * AHX_MAX_PLIST];

#define INSTRUMENT_HEADER 22

/* Where the walk over a module stands: `avail` bytes may be read, `size` is the
   whole file's. A structure that ends past `size` refuses the module; one past
   `avail` only ends the walk early (a check sees the file's start only). */
struct walk {
    const uint8_t *data;
    uint32_t avail, size, at;
    int truncated;
};

/* 0 when `length` bytes at the walk's cursor are in the file; sets `truncated`
   when they are in the file but not all present. */
static int take(struct walk *w, uint32_t length)
{
    if (!kit_fits(w->at, length, w->size)) return -1;
    if (!kit_fits(w->at, length, w->avail)) w->truncated = 1;
    return 0;
}

static int read_header(const uint8_t *d, uint32_t avail, struct ahx_song *s)
{
    if (avail < 16) return -1;
    if (d[0] == 'T' && d[1] == 'H' && d[2] == 'X' && d[3] <= 1) {
        s->format = AHX_FORMAT_THX;
        s->channels = 4;
        s->positions = (uint16_t)((d[6] & 0x0F) << 8 | d[7]);
        s->restart = kit_be16(d + 8);
    } else if (d[0] == 'H' && d[1] == 'V' && d[2] == 'L' && d[3] <= 1) {
        s->format = AHX_FORMAT_HVL;
        s->channels = (uint8_t)((d[8] >> 2) + 4);
        s->positions = (uint16_t)((d[6] & 0x03) << 8 | d[7]);
        s->restart = (uint16_t)((d[8] & 0x03) << 8 | d[9]);
    } else {
        return -1;
    }
    s->revision = d[3];
    /* Revision 0 of AHX knew only 50 Hz. */
    s->speed_multiplier = (uint8_t)(s->format == AHX_FORMAT_THX && d[3] == 0 ? 1 : ((d[6] >> 5) & 3) + 1);
    s->track_length = d[10];
    s->tracks = d[11];
    s->instruments = d[12];
    s->subsongs = d[13];
    if (s->channels > AHX_MAX_CHANNELS || s->positions == 0 || s->positions >= AHX_MAX_POSITIONS ||
        s->track_length == 0 || s->track_length > AHX_MAX_ROWS || s->instruments >= AHX_MAX_INSTRUMENTS)
        return -1;
    return 0;
}

/* Track 0 is left out of the file when it is empty (bit 7 of byte 6). */
static int track_stored(const uint8_t *d, unsigned track) { return track != 0 || !(d[6] & 0x80); }

/* Walks the whole layout; with `unpack`, fills the tables (then the whole module
   is present). */
static long walk_module(struct walk *w, int unpack)
{
    struct ahx_song s;
    const uint8_t *d = w->data;
    const int hvl = d[0] == 'H';
    unsigned i, row, used = 0;

    if (read_header(d, w->avail, &s) != 0) return -1;
    w->at = hvl ? 16 : 14;
    s.subsong_list = d + w->at;
    if (take(w, 2UL * s.subsongs) != 0) return -1;
    w->at += 2UL * s.subsongs;
    s.position_list = d + w->at;
    if (take(w, 2UL * s.channels * s.positions) != 0) return -1;
    w->at += 2UL * s.channels * s.positions;

    if (unpack) memset(ahx_steps, 0, sizeof ahx_steps);
    for (i = 0; i <= s.tracks; ++i) {
        if (!track_stored(d, i)) continue;
        for (row = 0; row < s.track_length; ++row) {
            struct ahx_step *step = &ahx_steps[i][row];
            const uint8_t *r;
            if (!hvl) {
                if (take(w, 3) != 0) return -1;
                if (w->truncated) return 0;
                r = d + w->at;
                w->at += 3;
                if (!unpack) continue;
                step->note = (uint8_t)((r[0] >> 2) & 0x3F);
                step->instrument = (uint8_t)((r[0] & 3) << 4 | r[1] >> 4);
                step->fx[0] = r[1] & 0x0F;
                step->param[0] = r[2];
                continue;
            }
            /* HVL packs an empty row into one byte. */
            if (take(w, 1) != 0) return -1;
            if (w->truncated) return 0;
            r = d + w->at;
            if (r[0] == 0x3F) {
                w->at += 1;
                continue;
            }
            if (take(w, 5) != 0) return -1;
            if (w->truncated) return 0;
            w->at += 5;
            if (!unpack) continue;
            step->note = r[0] & 0x3F;
            step->instrument = r[1] & 0x3F;
            step->fx[0] = r[2] >> 4;
            step->param[0] = r[3];
            step->fx[1] = r[2] & 0x0F;
            step->param[1] = r[4];
        }
    }
    if (unpack)
        for (i = 0; i < AHX_MAX_TRACKS; ++i)
            for (row = 0; row < AHX_MAX_ROWS; ++row)
                if (ahx_steps[i][row].note >= AHX_NOTES) ahx_steps[i][row].note = 0;

    for (i = 1; i <= s.instruments; ++i) {
        const unsigned entry_bytes = hvl ? 5 : 4;
        struct ahx_instrument *ins = &ahx_instruments[i];
        const uint8_t *b;
        unsigned n, length;
        if (take(w, INSTRUMENT_HEADER) != 0) return -1;
        if (w->truncated) return 0;
        b = d + w->at;
        length = b[21];
        w->at += INSTRUMENT_HEADER;
        if (take(w, entry_bytes * length) != 0) return -1;
        if (w->truncated) return 0;
        if (unpack) {
            memset(ins, 0, sizeof *ins);
            ins->volume = b[0] > 64 ? 64 : b[0];
            ins->wave_length = b[1] & 7;
            if (ins->wave_length > 5) ins->wave_length = 5;
            ins->filter_speed = (uint8_t)((b[1] >> 3) | (b[12] >> 2 & 0x20));
            ins->attack_frames = b[2];
            ins->attack_volume = b[3];
            ins->decay_frames = b[4];
            ins->decay_volume = b[5];
            ins->sustain_frames = b[6];
            ins->release_frames = b[7];
            ins->release_volume = b[8];
            ins->filter_lower = b[12] & 0x7F;
            ins->vibrato_delay = b[13];
            ins->hard_cut_release = b[14] >> 7;
            ins->hard_cut_frames = (b[14] >> 4) & 7;
            ins->vibrato_depth = b[14] & 0x0F;
            ins->vibrato_speed = b[15];
            ins->square_lower = b[16];
            ins->square_upper = b[17];
            ins->square_speed = b[18];
            ins->filter_upper = b[19] & 0x3F;
            ins->plist_speed = b[20];
            ins->plist_length = (uint16_t)length;
            ins->plist = &plist_entries[used];
            for (n = 0; n < length; ++n) {
                const uint8_t *e = d + w->at + entry_bytes * n;
                struct ahx_plist_entry *p = &plist_entries[used++];
                if (hvl) {
                    p->fx[0] = e[0] & 0x0F;
                    p->fx[1] = (e[1] >> 3) & 0x0F;
                    p->waveform = e[1] & 7;
                    p->fixed = (e[2] >> 6) & 1;
                    p->note = e[2] & 0x3F;
                    p->param[0] = e[3];
                    p->param[1] = e[4];
                } else {
                    /* Three bits a command: 6 and 7 stand for C (volume) and F (speed). */
                    static const uint8_t command[8] = {0, 1, 2, 3, 4, 5, 0x0C, 0x0F};
                    p->fx[1] = command[(e[0] >> 5) & 7];
                    p->fx[0] = command[(e[0] >> 2) & 7];
                    p->waveform = (uint8_t)((e[0] << 1 & 6) | e[1] >> 7);
                    p->fixed = (e[1] >> 6) & 1;
                    p->note = e[1] & 0x3F;
                    p->param[0] = e[2];
                    p->param[1] = e[3];
                    /* Revision 0 had no filter: its modulation toggles only the square. */
                    if (s.revision == 0) {
                        if (p->fx[0] == 4) p->param[0] &= 0x0F;
                        if (p->fx[1] == 4) p->param[1] &= 0x0F;
                    }
                }
                if (p->note >= AHX_NOTES) p->note = AHX_NOTES - 1;
                if (p->waveform > 4) p->waveform = 0;
            }
        }
        w->at += entry_bytes * length;
    }

    s.title = d + w->at;
    s.end = d + w->size;
    if (unpack) {
        /* The names follow, each ending in a zero byte; a cut file loses some. */
        uint32_t at = w->at;
        while (at < w->size && d[at]) ++at;
        ahx_instruments[0].name = 0;
        for (i = 1; i <= s.instruments; ++i) {
            ahx_instruments[i].name = at + 1 < w->size ? d + at + 1 : 0;
            if (at < w->size) ++at;
            while (at < w->size && d[at]) ++at;
        }
        if (s.restart >= s.positions) s.restart = 0;
        ahx_song = s;
    }
    return 0;
}

long ahx_check(const uint8_t *data, uint32_t present, uint32_t size)
{
    struct walk w = {data, present, size, 0, 0};
    return walk_module(&w, 0);
}

long ahx_read(const uint8_t *data, uint32_t size)
{
    struct walk w = {data, size, size, 0, 0};
    if (walk_module(&w, 0) != 0 || w.truncated) return -1;
    w.at = 0;
    return walk_module(&w, 1);
}
