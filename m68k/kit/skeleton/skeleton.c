/* The smallest whole player written with the kit: copy this folder to
   m68k/players/<format>/ to start a new one.

   Its format, "VSKL": a tune of square-wave notes on channel 0.
       0   "VSKL"
       4   the song's name, 20 bytes
       24  its author, 20 bytes
       44  number of notes, 1..255
       45  the notes, 4 bytes each: period (big-endian word, 0 = a rest),
           volume 0..64, length in ticks (1..255)
   The tune repeats; each pass ends with the song-end signal. */
#include <varno/kit.h>

KIT_PLAYER("Varno Skeleton", "replay routine by the Varno team", "vskl.", PLAYERF_SONGEND);

#define HEADER 45
#define NOTE_BYTES 4

/* Sample data must lie at an even address. */
static const int8_t square[16] __attribute__((aligned(2))) = {100,  100,  100,  100,  100,  100,  100,  100,
                                                              -100, -100, -100, -100, -100, -100, -100, -100};

static const uint8_t *song;
static unsigned notes, note, ticks_left;

long player_check(const uint8_t *data, uint32_t present, uint32_t size)
{
    (void)size;
    if (present < HEADER || !kit_is_id(data, "VSKL")) return -1;
    /* Every note must be present: nothing is read past the file later. */
    if (data[44] == 0 || !kit_fits(HEADER, data[44] * NOTE_BYTES, present)) return -1;
    return 0;
}

long player_init(const uint8_t *data, uint32_t size)
{
    if (player_check(data, size, size) != 0) return -1;
    song = data;
    notes = data[44];
    return 0;
}

static void play_note(void)
{
    const uint8_t *n = song + HEADER + note * NOTE_BYTES;
    const uint16_t period = kit_be16(n);
    custom.aud[0].ac_vol = period ? (n[2] > 64 ? 64 : n[2]) : 0;
    if (period) custom.aud[0].ac_per = period;
    ticks_left = n[3] ? n[3] : 1;
}

void player_start(unsigned subsong)
{
    (void)subsong;
    custom.dmacon = DMAF_AUD0;
    custom.aud[0].ac_ptr = square;
    custom.aud[0].ac_len = sizeof square / 2;
    note = 0;
    play_note();
    custom.dmacon = DMAF_SETCLR | DMAF_AUD0;
}

/* A note set up by player_start or a tick sounds from that tick on: the first tick
   plays the first note, and the tick after the last note starts the next pass. */
void player_tick(void)
{
    if (ticks_left == 0) {
        if (++note == notes) {
            note = 0;
            kit_song_end();
        }
        play_note();
    }
    --ticks_left;
}

void player_info(void)
{
    kit_info_name(MI_SongName, song + 4, 20);
    kit_info_name(MI_AuthorName, song + 24, 20);
    kit_info_number(MI_Length, notes);
}
