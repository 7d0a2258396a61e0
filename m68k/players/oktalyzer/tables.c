#include "oktalyzer.h"

/* Paula periods of Oktalyzer's 36 notes, C-1 to B-3. */
const uint16_t okt_periods[OKT_NOTES] = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
};
