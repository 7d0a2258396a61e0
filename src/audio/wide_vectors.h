// Whether the audio code uses the processor's 256-bit vectors. Where a loop has
// a 256-bit form, every lane computes what the 128-bit form computes (IEEE
// arithmetic, no fused multiply-adds), so the samples are the same either way;
// the choice is made once, from what the processor offers.
#pragma once

namespace varno {

// True on a processor with 256-bit vectors, unless switched off below.
extern bool wideVectors;

// Lets the audio code use 256-bit vectors where the processor has them (it does
// by default), or keeps it to the 128-bit forms. Returns whether it now uses them.
bool allowWideVectors(bool allowed);

} // namespace varno

// Marks a function compiled for 256-bit vectors: it may be called only when
// wideVectors is true.
#if defined(__SSE2__) && defined(__GNUC__)
#define VARNO_WIDE_VECTORS 1
#define VARNO_WIDE __attribute__((target("avx")))
#endif
