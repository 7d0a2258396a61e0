/* The song's flow: a row every `speed` vertical blanks, the commands on every
   tick, then the registers of the direct channels and the mixing of the others.
   The song comes round when the position list wraps or a jump reaches a
   position played before. */
#include "replay.h"

#include <varno/kit.h>

#include "paula.h"

struct okt_state okt_state;

static const uint8_t empty_cell[OKT_CELL];

static void compute_tick(void);

/* The mixer's voices of each channel: the two of a mixed one (unused for a direct one). */
static struct okt_mix_voice *pairs[OKT_CHANNELS][2];
static uint8_t first_tick;
static uint8_t end_ahead;

static int any_mixed(void) { return okt_song.voices > OKT_CHANNELS; }

static void enter_position(unsigned position)
{
    unsigned i;
    okt_state.position = (uint8_t)position;
    okt_state.row = 0;
    if (okt_state.visited[position]) {
        okt_state.song_end = 1;
        for (i = 0; i < OKT_POSITIONS; ++i) okt_state.visited[i] = 0;
    }
    okt_state.visited[position] = 1;
}

void okt_start(void)
{
    unsigned i, c, v = 0;
    uint8_t *bytes = (uint8_t *)&okt_state;
    for (i = 0; i < sizeof okt_state; ++i) bytes[i] = 0;
    custom.dmacon = DMAF_AUDIO;
    for (c = 0; c < OKT_CHANNELS; ++c) {
        const unsigned voices = okt_song.mixed[c] ? 2 : 1;
        for (i = 0; i < voices; ++i, ++v) {
            struct okt_voice *voice = &okt_state.voices[v];
            voice->channel = (uint8_t)c;
            voice->mixed = okt_song.mixed[c];
            voice->sample = OKT_SAMPLES;
            voice->period = voice->out_period = okt_periods[0];
        }
        custom.aud[c].ac_vol = 0;
        okt_state.channel_volume[c] = 64;
    }
    okt_state.speed = okt_song.initial_speed;
    okt_state.counter = (uint8_t)(okt_state.speed - 1); /* the first tick plays row 0 */
    enter_position(0);
    okt_state.song_end = 0;
    for (c = 0, v = 0; c < OKT_CHANNELS; ++c) {
        pairs[c][0] = &okt_state.voices[v].mix;
        pairs[c][1] = &okt_state.voices[okt_song.mixed[c] ? v + 1 : v].mix;
        v += okt_song.mixed[c] ? 2u : 1u;
    }
    okt_paula_reset(okt_song.mixed);
    okt_mixer_start(okt_song.mixed);
    first_tick = 1;
    end_ahead = 0;
}

void okt_stop(void)
{
    unsigned c;
    custom.dmacon = DMAF_AUDIO;
    for (c = 0; c < OKT_CHANNELS; ++c) custom.aud[c].ac_vol = 0;
}

static void play_row(void)
{
    const struct okt_pattern *p = &okt_song.patterns[okt_song.positions[okt_state.position]];
    const unsigned voices = okt_song.voices;
    const uint8_t *cells = p->cells ? p->cells + (uint32_t)okt_state.row * voices * OKT_CELL : 0;
    unsigned v, jump = OKT_POSITIONS;
    for (v = 0; v < voices; ++v) {
        const uint8_t *cell = cells ? cells + v * OKT_CELL : empty_cell;
        struct okt_voice *voice = &okt_state.voices[v];
        okt_voice_row(voice, cell);
        if (voice->command == CMD_SPEED && voice->param) okt_state.speed = voice->param;
        if (voice->command == CMD_POSITION) jump = voice->param;
    }
    if (jump < OKT_POSITIONS) {
        okt_state.next_position = (uint8_t)(jump < okt_song.length ? jump : 0);
        okt_state.position_pending = 1;
    } else if (++okt_state.row >= p->rows) {
        okt_state.next_position = (uint8_t)(okt_state.position + 1 < okt_song.length ? okt_state.position + 1 : 0);
        okt_state.position_pending = 1;
    }
}

static void compute_tick(void)
{
    unsigned v;
    if (++okt_state.counter >= okt_state.speed) {
        okt_state.counter = 0;
        if (okt_state.position_pending) {
            okt_state.position_pending = 0;
            enter_position(okt_state.next_position);
        }
        play_row();
    }
    for (v = 0; v < okt_song.voices; ++v) {
        struct okt_voice *voice = &okt_state.voices[v];
        struct okt_paula_levels *levels = &okt_paula_levels[voice->channel];
        if (voice->command) okt_voice_effects(voice, okt_state.counter);
        else voice->out_period = voice->period;
        /* A mixed voice's period goes to the mixer; its channel's volume to Paula. */
        if (voice->mixed) {
            voice->mix.period = voice->out_period;
            levels->volume = okt_state.channel_volume[voice->channel];
        } else {
            levels->period = voice->out_period;
            levels->volume = voice->volume;
        }
    }
    okt_mixer_tick(pairs);
}

/* The mixer fills its buffer a tick ahead of Paula. The first timer tick plays
   the song's first tick at once on every channel and mixes its second; from
   then on each timer tick writes the direct channels' registers computed in the
   tick before, and computes and mixes the next. A song end found a tick ahead
   is told with the tick that sounds it. */
int okt_tick(void)
{
    int end;
    okt_state.song_end = 0;
    if (!any_mixed()) {
        compute_tick();
        okt_paula_flush();
        return okt_state.song_end;
    }
    if (first_tick) {
        first_tick = 0;
        compute_tick();
        okt_paula_flush();
        okt_state.song_end = 0;
    } else {
        okt_paula_flush();
    }
    end = end_ahead;
    compute_tick();
    end_ahead = okt_state.song_end;
    return end;
}
