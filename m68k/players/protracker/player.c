/* The player's face to the host, through the player kit. The same sources build
   two players: FORMAT 0 is "ProTracker" (31 samples and a magic), FORMAT 1
   "SoundTracker" (15 samples), so that the host shows the format by the player's
   name. */
#include <varno/kit.h>

#include "protracker.h"

#ifndef FORMAT
#error "FORMAT must be 0 (ProTracker) or 1 (SoundTracker)"
#endif

#if FORMAT == 0
KIT_PLAYER("ProTracker", "replay routine by the Varno team", "mod.Title", PLAYERF_SONGEND);
#else
KIT_PLAYER("SoundTracker", "replay routine by the Varno team", "mod.Title", PLAYERF_SONGEND);
#endif

long player_check(const uint8_t *data, uint32_t present, uint32_t size)
{
    struct pt_layout layout;
    return pt_read_layout(data, present, size, FORMAT, &layout);
}

long player_init(const uint8_t *data, uint32_t size) { return pt_init(data, size, FORMAT); }

unsigned player_subsongs(void) { return (unsigned)pt_last_subsong() + 1; }

void player_start(unsigned subsong) { pt_start(subsong); }

void player_stop(void) { pt_stop(); }

void player_tick(void)
{
    const unsigned long flags = pt_tick();
    if (flags & PT_TICK_SET_TIMER) kit_set_timer(pt_song_timer());
    if (flags & PT_TICK_SONG_END) kit_song_end();
}

/* The title, and the sample names, where trackers' musicians sign their work: the
   bytes as the file holds them (the host shows them as Amiga text). */
void player_info(void)
{
    unsigned i;
    kit_info_name(MI_SongName, pt_title(), 20);
    kit_info_number(MI_Voices, 4);
    kit_info_number(MI_Pattern, pt_song_patterns());
    kit_info_number(MI_Length, pt_song_length());
    kit_info_number(MI_Samples, pt_sample_count());
    for (i = 0; i < pt_sample_count(); ++i) kit_info_name(MI_SampleName, pt_sample_name(i), 22);
}
