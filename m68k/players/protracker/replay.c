/* The ProTracker 2 replay: one call per timer tick. Row 0 of a row's ticks reads
   the pattern and starts notes, the other ticks run the continuous effects, the
   way the Amiga original orders its register writes (so its quirks, such as the
   loop of a sample given without a note taking over once the playing block ends,
   come out the same). */
#include "protracker.h"
#include "voice.h"

#include <varno/kit.h>

#define DEFAULT_SPEED 6
#define DEFAULT_TEMPO 125
/* CIA ticks per second times 2.5 (a tick lasts 2.5 / tempo seconds). */
#define CIA_TEMPO_CLOCK 1773447UL


struct pt_song pt_song;
struct pt_voice pt_voices[4];
struct pt_sample pt_samples[32];

/* The two silent bytes that one-shot samples repeat once played. */
const unsigned short pt_silence[2] = {0, 0};

static void read_samples(const unsigned char *data, unsigned long size, const struct pt_layout *layout, int format)
{
    unsigned long offset = layout->sample_data;
    unsigned int i;
    for (i = 0; i < 32; ++i) {
        struct pt_sample *s = &pt_samples[i];
        s->start = (const unsigned char *)pt_silence;
        s->length = 1;
        s->loop = (const unsigned char *)pt_silence;
        s->replen = 1;
        s->finetune = 0;
        s->volume = 0;
    }
    for (i = 0; i < layout->samples; ++i) {
        const unsigned char *h = data + 20 + i * 30;
        struct pt_sample *s = &pt_samples[i + 1];
        unsigned long length = pt_word(h + 22), start = pt_word(h + 26), repeat = pt_word(h + 28);
        unsigned long available = size > offset ? (size - offset) / 2 : 0;
        s->finetune = h[24] & 0x0F;
        s->volume = h[25] > 64 ? 64 : h[25];
        if (length > available) length = available; /* a truncated file: play what is there */
        if (length > 1) {
            s->start = data + offset;
            s->length = (unsigned short)length;
            if (repeat > 1) {
                if (format == PT_FORMAT_SOUNDTRACKER && start + repeat > length) start /= 2;
                if (start >= length) repeat = 0;
                else if (start + repeat > length) repeat = length - start;
            }
            if (repeat > 1) {
                s->loop = s->start + 2 * start;
                s->replen = (unsigned short)repeat;
                /* The first block ends where the loop does; the loop takes over from there. */
                if (start != 0) s->length = (unsigned short)(start + repeat);
            }
        }
        offset += 2UL * pt_word(h + 22);
    }
}

/* ---- Subsongs ---------------------------------------------------------------------
   Game modules often hold several tunes, each started at a position of its own and
   ending by jumping back into itself. A dry run of the position flow (jumps and
   breaks; loops and delays do not change which rows are reached) gives every row
   to the first tune that reaches it; each position left unreached starts a tune. */

#define NO_OWNER 0xFF

static unsigned char row_owner[PT_MAX_POSITIONS][PT_ROWS];
static unsigned char subsong_start[PT_MAX_SUBSONGS];
static unsigned short subsong_count;

static const unsigned char *row_cells(unsigned int position, unsigned int row)
{
    unsigned int pattern = pt_song.data[pt_song.layout.orders + position];
    if (pattern >= pt_song.layout.patterns) pattern = 0;
    return pt_song.data + pt_song.layout.pattern_data + pattern * PT_PATTERN_BYTES + row * 16;
}

static int position_reached(unsigned int position, unsigned char before);

/* Follows one tune from its start until it comes round to a row it played, or
   into a position an earlier tune played. */
static void trace_subsong(unsigned int start, unsigned char owner)
{
    unsigned int position = start, row = 0, length = pt_song.layout.song_length;
    while (row_owner[position][row] == NO_OWNER) {
        const unsigned char *cell = row_cells(position, row);
        unsigned int ch, jump = 0, break_row = 0, stop = 0;
        int target = (int)position;
        row_owner[position][row] = owner;
        for (ch = 0; ch < 4; ++ch, cell += 4) {
            unsigned int command = cell[2] & 0x0F, param = cell[3];
            if (command == 0xB) {
                target = (int)param - 1;
                break_row = 0;
                jump = 1;
            } else if (command == 0xD) {
                break_row = (param >> 4) * 10 + (param & 0x0F);
                if (break_row >= PT_ROWS) break_row = 0;
                jump = 1;
            } else if (command == 0xF && param == 0) {
                stop = 1;
            }
        }
        if (stop) return;
        if (jump || ++row >= PT_ROWS) {
            position = (unsigned int)(target + 1) & 127;
            if (position >= length) position = 0;
            row = break_row;
            if (position_reached(position, owner)) return;
        }
    }
}

/* Whether a tune numbered below `before` played any row of the position. Kept out
   of line: inlined into a loop over positions, the compiler's end pointer would lie
   a row past the table, which the hunk format cannot express. */
static __attribute__((noinline)) int position_reached(unsigned int position, unsigned char before)
{
    unsigned int row;
    for (row = 0; row < PT_ROWS; ++row)
        if (row_owner[position][row] < before) return 1;
    return 0;
}

static void find_subsongs(void)
{
    unsigned int position, row;
    for (position = 0; position < PT_MAX_POSITIONS; ++position)
        for (row = 0; row < PT_ROWS; ++row) row_owner[position][row] = NO_OWNER;
    subsong_count = 0;
    for (position = 0; position < pt_song.layout.song_length && subsong_count < PT_MAX_SUBSONGS; ++position) {
        if (position_reached(position, NO_OWNER)) continue;
        subsong_start[subsong_count] = (unsigned char)position;
        trace_subsong(position, (unsigned char)subsong_count);
        ++subsong_count;
    }
}

unsigned long pt_last_subsong(void) { return subsong_count - 1UL; }

long pt_init(const unsigned char *data, unsigned long size, long format)
{
    struct pt_layout layout;
    unsigned long present = size;
    if (pt_read_layout(data, present, size, (int)format, &layout) != 0) return -1;
    pt_song.data = data;
    pt_song.layout = layout;
    read_samples(data, size, &layout, (int)format);
    find_subsongs();
    return 0;
}

void pt_set_tempo(unsigned int tempo)
{
    pt_song.tempo = (unsigned short)tempo;
    pt_song.timer = (unsigned short)(CIA_TEMPO_CLOCK / tempo);
    pt_song.tick_flags |= PT_TICK_SET_TIMER;
}

/* Positions the tunes before this one played count as played in full: reaching
   any of their rows ends this tune. */
static void forget_visits(unsigned int subsong)
{
    unsigned int position, i;
    for (position = 0; position < PT_MAX_POSITIONS; ++position) {
        unsigned char bits = position_reached(position, (unsigned char)subsong) ? 0xFF : 0;
        for (i = 0; i < PT_ROWS / 8; ++i) pt_song.visited[position][i] = bits;
    }
}

void pt_start(unsigned int subsong)
{
    unsigned int i;
    if (subsong >= subsong_count) subsong = 0;
    CUSTOM_W(DMACON) = 0x000F;
    pt_song.subsong = (unsigned char)subsong;
    forget_visits(subsong);
    for (i = 0; i < 4; ++i) {
        struct pt_voice *v = &pt_voices[i];
        unsigned char *bytes = (unsigned char *)v;
        unsigned int b;
        for (b = 0; b < sizeof *v; ++b) bytes[b] = 0;
        v->regs = (volatile unsigned short *)(CUSTOM_BASE + AUD0LCH + i * AUD_STRIDE);
        v->dmabit = (unsigned short)(1 << i);
        v->start = v->loop = (const unsigned char *)pt_silence;
        v->length = v->replen = 1;
        v->regs[AUD_VOL] = 0;
    }
    pt_song.speed = DEFAULT_SPEED;
    pt_song.counter = DEFAULT_SPEED - 1; /* the first tick plays row 0 */
    pt_song.position = subsong_start[subsong];
    pt_song.row = 0;
    pt_song.break_row = 0;
    pt_song.break_flag = 0;
    pt_song.jump_flag = 0;
    pt_song.delay = 0;
    pt_song.delay_left = 0;
    pt_song.tick_flags = 0;
    pt_set_tempo(DEFAULT_TEMPO);
    kit_base->Timer = pt_song.timer;
}

void pt_stop(void)
{
    unsigned int i;
    CUSTOM_W(DMACON) = 0x000F;
    for (i = 0; i < 4; ++i) CUSTOM_W(AUD0VOL + i * AUD_STRIDE) = 0;
}

static void next_position(void)
{
    pt_song.row = pt_song.break_row;
    pt_song.break_row = 0;
    pt_song.jump_flag = 0;
    pt_song.position = (pt_song.position + 1) & 127;
    if (pt_song.position >= pt_song.layout.song_length) pt_song.position = 0;
}

/* A row played before means the song has come round again. Rows repeated by a
   pattern loop are forgotten when the loop jumps back (see pt_loop_back). */
static void visit_row(void)
{
    unsigned char *bits = pt_song.visited[pt_song.position];
    unsigned char mask = (unsigned char)(1 << (pt_song.row & 7));
    if (bits[pt_song.row >> 3] & mask) {
        pt_song.tick_flags |= PT_TICK_SONG_END;
        forget_visits(pt_song.subsong); /* played on, it ends again next time round */
    }
    bits[pt_song.row >> 3] |= mask;
}

void pt_loop_back(unsigned int from_row)
{
    unsigned char *bits = pt_song.visited[pt_song.position];
    unsigned int r;
    for (r = from_row; r <= pt_song.row && r < PT_ROWS; ++r) bits[r >> 3] &= (unsigned char)~(1 << (r & 7));
}

static void play_row(void)
{
    unsigned int i, pattern = pt_song.data[pt_song.layout.orders + pt_song.position];
    const unsigned char *cells;
    if (pattern >= pt_song.layout.patterns) pattern = 0;
    cells = pt_song.data + pt_song.layout.pattern_data + pattern * PT_PATTERN_BYTES + pt_song.row * 16;
    visit_row();
    pt_song.dma_on = 0;
    for (i = 0; i < 4; ++i) pt_row_voice(&pt_voices[i], cells + 4 * i);
    /* Start the notes, then queue each voice's repeat: the hardware takes it up
       once the block just started has played. */
    CUSTOM_W(DMACON) = (unsigned short)(0x8000 | pt_song.dma_on);
    for (i = 0; i < 4; ++i) pt_queue_repeat(&pt_voices[i]);
}

static void effects_all(void)
{
    unsigned int i;
    for (i = 0; i < 4; ++i) pt_tick_voice(&pt_voices[i]);
}

static void next_row(void)
{
    ++pt_song.row;
    if (pt_song.delay) {
        pt_song.delay_left = pt_song.delay;
        pt_song.delay = 0;
    }
    if (pt_song.delay_left && --pt_song.delay_left) --pt_song.row;
    if (pt_song.break_flag) {
        pt_song.break_flag = 0;
        pt_song.row = pt_song.break_row;
        pt_song.break_row = 0;
    }
    if (pt_song.row >= PT_ROWS) next_position();
}

unsigned long pt_tick(void)
{
    pt_song.tick_flags = 0;
    if (++pt_song.counter >= pt_song.speed) {
        pt_song.counter = 0;
        if (pt_song.delay_left == 0) play_row();
        else effects_all();
        next_row();
    } else {
        effects_all();
    }
    if (pt_song.jump_flag) next_position();
    return pt_song.tick_flags;
}

unsigned short pt_song_timer(void) { return pt_song.timer; }
unsigned int pt_song_patterns(void) { return pt_song.layout.patterns; }
unsigned int pt_song_length(void) { return pt_song.layout.song_length; }
unsigned int pt_sample_count(void) { return pt_song.layout.samples; }
const unsigned char *pt_title(void) { return pt_song.data; }
const unsigned char *pt_sample_name(unsigned int index) { return pt_song.data + 20 + index * 30; }
