/* The 68000 mixing of songs with 5 to 8 tracks (mix.c). */
#ifndef MED_MIX_H
#define MED_MIX_H

#include <stdint.h>

/* Paula plays the mixed buffers at this period: about 11.8 kHz, 60 CIA ticks a
   sample. */
#define MED_MIX_PERIOD 300
#define MED_MIX_CIA_PER_SAMPLE 60

void med_mix_init(void);
/* The tick's timer (kept within what the buffers can hold); the buffers follow
   it from the next tick. */
uint16_t med_mix_timer(uint16_t wanted);
void med_mix_start(void);
void med_mix(unsigned tracks);

#endif
