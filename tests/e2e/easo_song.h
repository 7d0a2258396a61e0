// A small EASO song made for the tests, and the note periods of the format.
#pragma once

#include <cstdint>
#include <vector>

namespace varno::test {

// The whole file, beginning with "EASO". Its rows, position list, instruments and
// envelopes are laid out and explained in easo_song.cpp.
std::vector<uint8_t> easoSong();

// Note periods of the EASO format: entry 0 is 0, 1-60 five octaves, 61-70 stay 113.
uint16_t easoPeriod(int note);

} // namespace varno::test
