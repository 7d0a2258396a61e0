/* The player's face to the host, through the player kit. */
#include <varno/kit.h>

#include "replay.h"

KIT_PLAYER("Oktalyzer", "replay routine by the Varno team", "okta.", PLAYERF_SONGEND);

long player_check(const uint8_t *data, uint32_t present, uint32_t size)
{
    struct okt_layout layout;
    return okt_read_layout(data, present, size, &layout);
}

long player_init(const uint8_t *data, uint32_t size)
{
    if (okt_load(data, size, &okt_song) != 0) return -1;
    okt_mixer_init(okt_song.voices > OKT_CHANNELS);
    return 0;
}

void player_start(unsigned subsong)
{
    (void)subsong;
    okt_start();
}

void player_stop(void) { okt_stop(); }

void player_tick(void)
{
    if (okt_tick()) kit_song_end();
}

/* Oktalyzer keeps no title or author; its sample names are all the text a song has. */
void player_info(void)
{
    unsigned i, named = 0;
    kit_info_number(MI_Pattern, okt_song.pattern_count);
    kit_info_number(MI_Length, okt_song.length);
    kit_info_number(MI_Voices, okt_song.voices);
    for (i = 0; i < OKT_SAMPLES; ++i)
        if (okt_song.samples[i].length || okt_song.sample_info[i * OKT_SAMPLE_ENTRY]) named = i + 1;
    kit_info_number(MI_Samples, named);
    for (i = 0; i < named; ++i) kit_info_name(MI_SampleName, okt_song.sample_info + i * OKT_SAMPLE_ENTRY, 20);
}
