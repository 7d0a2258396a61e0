/* The song's course: lines, blocks and the play sequence, the tempo, and where a
   pass through the song ends. Each tick reads a line on its first tick (unless a
   line delay repeats it), runs every voice, and hands the voices to the output. */
#include "mix.h"
#include "output.h"
#include "voice.h"

#include <varno/kit.h>

struct med_song med_song;
struct med_state med_state;

#define DEFAULT_TEMPO2 6
#define TEMPO_CLOCK 468190UL   /* tempo 33 ticks at 50 Hz (709379 * 33 / 50), as the references time it */
#define BPM_CLOCK 7093790UL    /* ticks of 2.5 / (BPM x lines per beat / 4) seconds, x 10 */
#define CIA_TEMPO_CLOCK 1773447UL
/* SoundTracker-compatible tempos 1..10: a line of six ticks lasts `tempo` frames
   of about 20.4 ms, as SoundTracker's speed did; the references time it so. */
#define COMPATIBLE_TICK 2412UL
#define TIMER_MIN 700          /* about 1 kHz: a BPM typed far past any tracker's range */

/* Rows played in this pass, one bit each, to find where the song comes round. */
#define VISIT_BITS (1UL << 18)
static uint8_t visited[VISIT_BITS / 8];
static uint32_t order_row[MED_MAX_ORDERS]; /* first bit of each sequence entry */

static struct {
    unsigned subsong, songs;
    uint16_t order, timer;
    uint16_t delay_left; /* line delay: times the line is still held */
    uint8_t repeating;   /* the line is held: its notes are not read again */
    uint8_t end_found;   /* the next tick starts the song again: it signals the end */
    unsigned flags;
} play;

/* Tempos 1..10 of the 5-8 channel mode, as tracker tempos: the mixing buffer's
   length sets the tick. */
static const uint8_t eight_channel_bpm[10] = {179, 164, 152, 141, 131, 123, 116, 110, 104, 99};

static int eight_channels(void) { return (med_song.flags & MED_FLAG_8CHANNEL) && med_song.tracks > MED_PAULA; }

/* The tick length for a tempo: BPM (lines per beat counted), the 5-8 channel
   mode's fixed tempos, the SoundTracker-compatible 1..10, or the old tempo where
   33 is 50 Hz. */
static uint16_t timer_for(unsigned tempo)
{
    unsigned long ticks;
    if (tempo == 0) tempo = 1;
    if (eight_channels()) {
        ticks = CIA_TEMPO_CLOCK / eight_channel_bpm[(tempo > 10 ? 10 : tempo) - 1];
    } else if (med_song.flags2 & MED_FLAG2_BPM) {
        ticks = BPM_CLOCK / (tempo * ((med_song.flags2 & MED_FLAG2_LPB) + 1UL));
    } else if (tempo <= 10) {
        ticks = COMPATIBLE_TICK * tempo;
    } else {
        ticks = TEMPO_CLOCK / tempo;
    }
    if (ticks > 0xFFFF) ticks = 0xFFFF;
    if (ticks < TIMER_MIN) ticks = TIMER_MIN;
    /* A mixed song's tick is one buffer of whole samples. */
    return med_song.tracks > MED_PAULA ? med_mix_timer((uint16_t)ticks) : (uint16_t)ticks;
}

static void set_tempo(unsigned tempo)
{
    med_song.tempo = (uint16_t)tempo;
    play.timer = timer_for(tempo);
    play.flags |= MED_TICK_SET_TIMER;
}

static unsigned line_ticks(void) { return med_state.speed ? med_state.speed : 1; }

static void forget_visits(void)
{
    unsigned i;
    for (i = 0; i < sizeof visited; ++i) visited[i] = 0;
}

/* Marks the line played; a line played before in this pass ends the pass. */
static void visit_line(void)
{
    const uint32_t bit = order_row[play.order] + med_state.line;
    if (bit >= VISIT_BITS || order_row[play.order] == VISIT_BITS) return;
    if (visited[bit >> 3] & (1 << (bit & 7))) {
        play.end_found = 1;
        forget_visits();
    }
    visited[bit >> 3] |= (uint8_t)(1 << (bit & 7));
}

static void forget_lines(unsigned first, unsigned last)
{
    uint32_t bit;
    if (order_row[play.order] == VISIT_BITS) return;
    for (bit = order_row[play.order] + first; bit <= order_row[play.order] + last && bit < VISIT_BITS; ++bit)
        visited[bit >> 3] &= (uint8_t) ~(1 << (bit & 7));
}

static unsigned current_block(void) { return med_song.order_block[play.order]; }

static void read_line(struct med_flow *flow)
{
    unsigned t;
    uint8_t cell[4];
    for (t = 0; t < med_song.tracks; ++t) {
        med_cell(&med_song, current_block(), med_state.line, t, cell);
        med_line_voice(&med_voices[t], cell, flow);
    }
}

static void go_to(unsigned order, unsigned line)
{
    if (order >= med_song.orders) {
        order = 0;
        /* The sequence's end: the pass ends here even without a line played twice. */
        play.end_found = 1;
        forget_visits();
    }
    play.order = (uint16_t)order;
    med_state.line = (uint16_t)(line < med_song.block_lines[current_block()] ? line : 0);
}

static struct med_flow flow;

static void next_line(void)
{
    if (flow.delay_lines && !play.repeating) play.delay_left = flow.delay_lines;
    if (play.delay_left) {
        --play.delay_left;
        play.repeating = 1;
        return;
    }
    play.repeating = 0;
    if (flow.stop) {
        /* The song stops here; played on, it starts again. */
        go_to(med_song.orders, 0);
    } else if (flow.jump >= 0) {
        go_to(med_song.order_section[play.order] + (unsigned)flow.jump, 0);
    } else if (flow.break_line >= 0) {
        go_to(play.order + 1u, (unsigned)flow.break_line);
    } else if (flow.loop_to >= 0) {
        forget_lines((unsigned)flow.loop_to, med_state.line); /* played again on purpose */
        med_state.line = (uint16_t)flow.loop_to;
    } else if (med_state.line + 1u < med_song.block_lines[current_block()]) {
        ++med_state.line;
    } else {
        go_to(play.order + 1u, 0);
    }
    visit_line();
}

unsigned med_tick(void)
{
    unsigned t;
    play.flags = play.end_found ? MED_TICK_SONG_END : 0;
    play.end_found = 0;
    for (t = 0; t < med_song.tracks; ++t) {
        med_voices[t].trigger = 0;
        med_voices[t].new_block = 0;
    }
    if (med_state.tick == 0 && !play.repeating) {
        flow.jump = flow.break_line = flow.loop_to = flow.tempo = -1;
        flow.stop = flow.delay_lines = 0;
        read_line(&flow);
        if (flow.tempo >= 0) set_tempo((unsigned)flow.tempo);
    }
    for (t = 0; t < med_song.tracks; ++t) med_tick_voice(&med_voices[t]);
    med_output();
    if (++med_state.tick >= line_ticks()) {
        med_state.tick = 0;
        next_line();
    }
    return play.flags;
}

uint16_t med_timer(void) { return play.timer; }

long med_init(const uint8_t *data, uint32_t size)
{
    med_mix_init();
    play.songs = med_song_count(data, size);
    return med_load(&med_song, data, size, 0) == MED_OK ? 0 : -1;
}

unsigned med_subsongs(void) { return play.songs; }

void med_start(unsigned subsong)
{
    unsigned t, i;
    uint32_t row = 0;
    if (subsong >= play.songs || med_load(&med_song, med_song.data, med_song.size, subsong) != MED_OK) subsong = 0;
    if (subsong == 0) med_load(&med_song, med_song.data, med_song.size, 0);
    play.subsong = subsong;
    for (i = 0; i < med_song.orders; ++i) {
        /* Entries past the table's room are not tracked; the sequence's end still ends the pass. */
        order_row[i] = row < VISIT_BITS ? row : VISIT_BITS;
        row += med_song.block_lines[med_song.order_block[i]];
    }
    for (t = 0; t < MED_MAX_TRACKS; ++t) med_voice_reset(&med_voices[t], t);
    med_state.tick = 0;
    med_state.speed = med_song.tempo2 ? med_song.tempo2 : DEFAULT_TEMPO2;
    med_state.st_slides = (med_song.flags & MED_FLAG_STSLIDE) != 0;
    med_state.volhex = (med_song.flags & MED_FLAG_VOLHEX) != 0;
    play.delay_left = 0;
    play.repeating = 0;
    play.end_found = 0;
    forget_visits();
    play.order = 0;
    med_state.line = 0;
    go_to(0, 0);
    visit_line();
    set_tempo(med_song.tempo);
    med_output_start(med_song.tracks);
    kit_base->Timer = play.timer;
}

void med_stop(void) { med_output_stop(); }
