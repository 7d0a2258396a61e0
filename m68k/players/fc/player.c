/* Future Composer 1.3 ("SMOD") and 1.4 ("FC14") modules, through the player kit.
   The replay runs from the vertical blank, 50 ticks a second. */
#include <varno/kit.h>

#include "fc.h"

KIT_PLAYER("Future Composer", "replay routine by the Varno team", "fc.", PLAYERF_SONGEND);

long player_check(const uint8_t *data, uint32_t present, uint32_t size)
{
    struct fc_layout layout;
    return fc_read_layout(data, present, size, &layout);
}

long player_init(const uint8_t *data, uint32_t size) { return fc_init(data, size); }

void player_start(unsigned subsong)
{
    (void)subsong;
    fc_start();
}

void player_tick(void)
{
    if (fc_tick()) kit_song_end();
}

/* Future Composer keeps no title, author or instrument names: only the counts. */
void player_info(void)
{
    const struct fc_layout *l = &fc_song.layout;
    unsigned i, samples = 0;
    for (i = 0; i < FC_SAMPLES; ++i)
        if (kit_be16(fc_song.data + FC_SAMPLE_INFO + 6 * i)) ++samples;
    /* The file type names the version, as the songs' usual file names do. */
    kit_info_text(MI_Prefix, l->fc14 ? "fc14." : "fc13.");
    kit_info_number(MI_Voices, 4);
    kit_info_number(MI_Pattern, l->pattern_count);
    kit_info_number(MI_Length, l->step_count);
    kit_info_number(MI_Samples, samples);
}
