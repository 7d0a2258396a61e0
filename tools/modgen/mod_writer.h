// A ProTracker module in memory and its file form: 31 (or 15) sample headers,
// the position table, 64-row patterns of four cells, then the sample data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno::modgen {

struct Sample {
    std::string name;
    std::vector<int8_t> data; // even length
    uint8_t finetune = 0;     // 0..15 (8..15 are -8..-1)
    uint8_t volume = 64;
    uint32_t loopStart = 0;   // bytes, even
    uint32_t loopLength = 0;  // bytes; 0 or 2 = a one-shot sample
};

struct Cell {
    uint8_t sample = 0; // 1..31, 0 = none
    uint16_t period = 0;
    uint8_t command = 0;
    uint8_t param = 0;
};

struct Pattern {
    Cell cells[64][4];
    Cell& at(int row, int channel) { return cells[row][channel]; }
};

struct Module {
    std::string title;
    std::string magic = "M.K."; // empty: a 15-sample SoundTracker module
    std::vector<Sample> samples; // at most 31 (15 without magic)
    std::vector<Pattern> patterns;
    std::vector<uint8_t> orders;
};

// The period of a note of the three-octave range at finetune 0: note 0 is C-1,
// 12 C-2, 35 B-3.
uint16_t notePeriod(int note);

// A note by name, "C-1" .. "B-3" (sharps as "C#2").
uint16_t note(const char* name);

std::vector<uint8_t> writeModule(const Module& module);

} // namespace varno::modgen
