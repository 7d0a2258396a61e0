// The test EASO song. Offsets inside the data D (the file after "EASO"):
//   0x000  six offsets: rows, positions, instruments, samples, volume and pitch envelopes
//   0x018  rows: 4 rows of 4 words (note << 8 | instrument) for AUD0..AUD3
//   0x038  positions: rows 0-1 at speed 3, rows 2-3 at speed 2, then a jump to entry 1
//   0x044  instruments 0-4 (16 bytes each; 0 is unused)
//   0x094  sample 0: a 16-byte square wave at 0x0A0, 8 words
//   0x0B0  volume envelopes 0 and 1; 0x130 pitch envelope 0
//
// Row 0 starts AUD0 (note 25, instrument 1: looping volume and pitch envelopes,
// fine-tune +1, hold 10), AUD1 (note 37, instrument 2: arpeggio +4 +7 +12, fine-tune
// that the arpeggio ignores, played once) and AUD3 (note 13, instrument 3: arpeggio
// whose first offset is 0, volume envelope that ends); row 2 starts AUD2 (note 50,
// instrument 4: fine-tune -3, hold 2). Rows 1 and 3 are empty.
#include "e2e/easo_song.h"

#include <cstring>

namespace varno::test {

namespace {

void putWord(std::vector<uint8_t>& d, size_t at, uint16_t v) {
    d[at] = uint8_t(v >> 8);
    d[at + 1] = uint8_t(v);
}

void putLong(std::vector<uint8_t>& d, size_t at, uint32_t v) {
    putWord(d, at, uint16_t(v >> 16));
    putWord(d, at + 2, uint16_t(v));
}

} // namespace

uint16_t easoPeriod(int note) {
    static const uint16_t periods[] = {
        0,    3424, 3232, 3050, 2880, 2720, 2556, 2422, 2286, 2158, 2036, 1922, 1814, 1712, 1616, 1524,
        1440, 1358, 1282, 1210, 1142, 1078, 1017, 960,  906,  856,  808,  762,  720,  678,  640,  604,
        570,  538,  508,  480,  453,  428,  404,  381,  360,  339,  320,  302,  285,  269,  254,  240,
        226,  214,  202,  190,  180,  170,  160,  151,  143,  135,  127,  120,  113};
    return note <= 60 ? periods[note] : 113;
}

std::vector<uint8_t> easoSong() {
    std::vector<uint8_t> d(0x170, 0);
    const uint32_t rows = 0x18, positions = 0x38, instruments = 0x44, samples = 0x94, wave = 0xA0,
                   volumes = 0xB0, pitches = 0x130;
    putLong(d, 0x00, rows);
    putLong(d, 0x04, positions);
    putLong(d, 0x08, instruments);
    putLong(d, 0x0C, samples);
    putLong(d, 0x10, volumes);
    putLong(d, 0x14, pitches);

    putWord(d, rows + 0, 25 << 8 | 1);      // row 0, AUD0
    putWord(d, rows + 2, 37 << 8 | 2);      // row 0, AUD1
    putWord(d, rows + 6, 13 << 8 | 3);      // row 0, AUD3
    putWord(d, rows + 2 * 8 + 4, 50 << 8 | 4); // row 2, AUD2

    const uint16_t list[] = {0x0000, 0x3001,  // rows 0-1, speed 3
                             0x0002, 0x2003,  // rows 2-3, speed 2
                             0xFFFF, 0x0001}; // continue at entry 1
    for (size_t i = 0; i < 6; ++i) putWord(d, positions + 2 * i, list[i]);

    // sample, hold, volume envelope, pitch envelope or 0x80 | arpeggio offset 3,
    // volume delay, volume speed, pitch delay / arpeggio offset 1, pitch speed /
    // arpeggio offset 2, -, volume, fine-tune
    const uint8_t instrument[5][11] = {
        {},
        {0, 10, 0, 0, 1, 2, 3, 2, 0, 40, 1},
        {0, 0, 0, 0x80 | 12, 0, 0, 4, 7, 0, 50, 5},
        {0, 0, 1, 0x80 | 3, 2, 1, 0, 5, 0, 5, 0xFE},
        {0, 2, 0, 0, 0, 0, 0, 0, 0, 30, 0xFD},
    };
    for (size_t i = 0; i < 5; ++i) std::memcpy(&d[instruments + 16 * i], instrument[i], 11);

    putLong(d, samples, (wave / 4) << 16 | 8);
    for (uint32_t i = 0; i < 16; ++i) d[wave + i] = i < 8 ? 0x60 : 0xA0;

    const uint8_t volume0[] = {64, 48, 32, 0xFF};   // loops
    const uint8_t volume1[] = {10, 20, 0x80};       // ends
    const uint8_t pitch0[] = {4, 0xFC, 0x7F};       // +4, -4, loop
    std::memcpy(&d[volumes], volume0, sizeof volume0);
    std::memcpy(&d[volumes + 64], volume1, sizeof volume1);
    std::memcpy(&d[pitches], pitch0, sizeof pitch0);

    std::vector<uint8_t> file(4 + d.size());
    std::memcpy(file.data(), "EASO", 4);
    std::memcpy(file.data() + 4, d.data(), d.size());
    return file;
}

} // namespace varno::test
