/* Where the voices go each tick: straight to Paula's four channels, or, for songs
   of 5 to 8 tracks, mixed in pairs into buffers that Paula plays. */
#ifndef MED_OUTPUT_H
#define MED_OUTPUT_H

void med_output_start(unsigned tracks);
void med_output(void);
void med_output_stop(void);

#endif
