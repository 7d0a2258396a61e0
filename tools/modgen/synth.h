// Sample synthesis for generated modules: fixed formulas and a fixed noise
// sequence, so every run writes the same bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace varno::modgen {

// One cycle of a waveform, `length` bytes, peak `amplitude` (1..127).
std::vector<int8_t> squareCycle(int length, int amplitude);
std::vector<int8_t> sawCycle(int length, int amplitude);
std::vector<int8_t> sineCycle(int length, int amplitude);

// Repeats a cycle `count` times.
std::vector<int8_t> repeat(const std::vector<int8_t>& cycle, int count);

// A drum: a sine whose cycle grows from `startCycle` to `endCycle` bytes while
// its amplitude decays, `length` bytes long.
std::vector<int8_t> kick(int length, int startCycle, int endCycle);

// Decaying noise (a fixed pseudo-random sequence), `length` bytes.
std::vector<int8_t> noiseBurst(int length, int amplitude, double decay);

// Multiplies by a linear fade from 1 to `end` over the whole sample.
std::vector<int8_t> fade(std::vector<int8_t> data, double end);

} // namespace varno::modgen
