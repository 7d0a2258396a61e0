/* The player's face to the host. AHX songs play on Paula's four channels as they
   were written for. HVL songs may have up to 16 channels: all of them are
   replayed (their commands steer the whole song), and each Paula channel carries
   the loudest of every fourth one (see ahx_tick). */
#include <varno/kit.h>

#include "replay.h"

KIT_PLAYER("AHX", "replay routine by the Varno team", "ahx.", PLAYERF_SONGEND);

long player_check(const uint8_t *data, uint32_t present, uint32_t size) { return ahx_check(data, present, size); }

long player_init(const uint8_t *data, uint32_t size)
{
    if (ahx_read(data, size) != 0) return -1;
    ahx_build_waves();
    return 0;
}

unsigned player_subsongs(void) { return (unsigned)ahx_song.subsongs + 1; }

/* AHX ticks with the PAL frame (71,051 colour clocks, 49.92 Hz), several times a
   frame for faster songs; HivelyTracker at 50 Hz times the multiplier. */
#define PAL_FRAME_CIA_TICKS 14210U

void player_start(unsigned subsong)
{
    const unsigned n = ahx_song.speed_multiplier;
    if (ahx_song.format == AHX_FORMAT_THX)
        kit_set_timer((uint16_t)((PAL_FRAME_CIA_TICKS + n / 2) / n));
    else
        kit_set_timer(KIT_TIMER_HZ(50U * n));
    ahx_start(subsong);
}

void player_tick(void)
{
    if (ahx_tick()) kit_song_end();
}

void player_stop(void) { ahx_silence(); }

static unsigned name_room(const uint8_t *name) { return name && name < ahx_song.end ? (unsigned)(ahx_song.end - name) : 0; }

void player_info(void)
{
    unsigned i;
    if (ahx_song.format == AHX_FORMAT_HVL) {
        kit_info_text(MI_Prefix, "hvl.");
        kit_info_text(MI_FormatTitle, "HVL");
    }
    kit_info_number(MI_Voices, ahx_song.channels);
    if (name_room(ahx_song.title)) kit_info_name(MI_SongName, ahx_song.title, name_room(ahx_song.title));
    kit_info_number(MI_Length, ahx_song.positions);
    kit_info_number(MI_Pattern, (unsigned long)ahx_song.tracks + 1);
    kit_info_number(MI_Samples, ahx_song.instruments);
    for (i = 1; i <= ahx_song.instruments; ++i) {
        const uint8_t *name = ahx_instruments[i].name;
        if (name_room(name))
            kit_info_name(MI_SampleName, name, name_room(name));
        else
            kit_info_text(MI_SampleName, "");
    }
}
