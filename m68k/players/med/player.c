/* The OctaMED player's face to the host, through the player kit. */
#include <varno/kit.h>

#include "med.h"

KIT_PLAYER("OctaMED", "replay routine by the Varno team", "med.", PLAYERF_SONGEND);

long player_check(const uint8_t *data, uint32_t present, uint32_t size) { return med_check(data, present, size); }

long player_init(const uint8_t *data, uint32_t size) { return med_init(data, size); }

unsigned player_subsongs(void) { return med_subsongs(); }

void player_start(unsigned subsong) { med_start(subsong); }

void player_stop(void) { med_stop(); }

void player_tick(void)
{
    const unsigned flags = med_tick();
    if (flags & MED_TICK_SET_TIMER) kit_set_timer(med_timer());
    if (flags & MED_TICK_SONG_END) kit_song_end();
}

/* The song's name, its annotation (a message to the listener: a greeting, a date,
   a note, as often as a signature, so a comment and never the author), and the
   instrument names up to the last instrument that has a sound or a name. */
void player_info(void)
{
    uint32_t length;
    const uint8_t *text;
    unsigned i, names = 0, synths = 0;
    text = med_song_name(&med_song, &length);
    if (text) kit_info_name(MI_SongName, text, length);
    text = med_annotation(&med_song, &length);
    if (text) kit_info_name(MI_Comment, text, length);
    kit_info_number(MI_Pattern, med_song.blocks);
    kit_info_number(MI_Length, med_song.orders);
    kit_info_number(MI_Voices, med_song.tracks);
    if (med_song.tracks > 4) kit_info_text(MI_SpecialInfo, "tracks mixed in pairs on the 68000");
    for (i = 0; i < MED_INSTRUMENTS; ++i) {
        if (med_song.instruments[i].kind != MED_NONE || med_instrument_name(&med_song, i, &length)) names = i + 1;
        if (med_song.instruments[i].kind == MED_SYNTH || med_song.instruments[i].kind == MED_HYBRID) ++synths;
    }
    if (synths) kit_info_number(MI_SynthSamples, synths);
    kit_info_number(MI_Samples, names);
    for (i = 0; i < names; ++i) {
        text = med_instrument_name(&med_song, i, &length);
        kit_info_name(MI_SampleName, text ? text : (const uint8_t *)"", text ? length : 0);
    }
}
