/* The direct channels' register writes, held back one tick. The mixed channels
   sound a tick after their voices are computed (the mixer writes a tick ahead of
   Paula's read position), so the direct channels are written a tick late as well
   and all voices keep time with each other. */
#ifndef OKT_PAULA_H
#define OKT_PAULA_H

#include <stdint.h>

/* Starts a block from its beginning; `next` follows it (a loop, or silence). */
void okt_paula_start(unsigned channel, const void *block, uint32_t bytes, const void *next, uint32_t next_bytes);
/* Queues `block` to follow what plays, then silence once Paula has taken it. */
void okt_paula_queue_last(unsigned channel, const void *block, uint32_t bytes);
void okt_paula_stop(unsigned channel);
/* Each channel's period (0: unchanged) and volume for the next flush; a mixed
   channel takes the volume only. Set for every voice every tick. */
struct okt_paula_levels {
    uint16_t period, volume;
};
extern struct okt_paula_levels okt_paula_levels[4];
/* Writes last tick's requests to Paula. */
void okt_paula_flush(void);
/* Forgets all requests; of a mixed channel only the volume is written here. */
void okt_paula_reset(const uint8_t mixed[4]);

#endif
