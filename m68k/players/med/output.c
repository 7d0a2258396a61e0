/* Paula output: each of the first four tracks owns a channel. A started note
   stops the channel's DMA, writes its first block and starts DMA again; the block
   to repeat is written at once, and Paula takes it up when the first one ends. */
#include "output.h"

#include "mix.h"
#include "voice.h"

#include <varno/kit.h>

static unsigned channels, mixed_tracks;

void med_output_start(unsigned tracks)
{
    unsigned i;
    channels = tracks < MED_PAULA ? tracks : MED_PAULA;
    mixed_tracks = tracks > MED_PAULA ? tracks : 0;
    if (mixed_tracks) {
        med_mix_start();
        return;
    }
    custom.dmacon = DMAF_AUDIO;
    for (i = 0; i < MED_PAULA; ++i) {
        custom.aud[i].ac_vol = 0;
        custom.aud[i].ac_ptr = med_silence;
        custom.aud[i].ac_len = 1;
    }
}

void med_output(void)
{
    unsigned i, restart = 0;
    if (mixed_tracks) {
        med_mix(mixed_tracks);
        return;
    }
    for (i = 0; i < channels; ++i)
        if (med_voices[i].trigger) restart |= 1u << i;
    if (restart) custom.dmacon = (uint16_t)restart;
    for (i = 0; i < channels; ++i) {
        const struct med_voice *v = &med_voices[i];
        if (v->trigger) {
            custom.aud[i].ac_ptr = v->block;
            custom.aud[i].ac_len = v->block_words;
        }
        custom.aud[i].ac_per = v->out_period;
        custom.aud[i].ac_vol = v->out_volume;
    }
    if (restart) custom.dmacon = (uint16_t)(DMAF_SETCLR | restart);
    for (i = 0; i < channels; ++i) {
        const struct med_voice *v = &med_voices[i];
        if (v->trigger || v->new_block) {
            custom.aud[i].ac_ptr = v->repeat;
            custom.aud[i].ac_len = v->repeat_words;
        }
    }
}

void med_output_stop(void)
{
    unsigned i;
    custom.dmacon = DMAF_AUDIO;
    for (i = 0; i < MED_PAULA; ++i) custom.aud[i].ac_vol = 0;
}
