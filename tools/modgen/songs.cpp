// The demo song: four bars of A minor, F, C, G per pattern; drums, bass, lead and
// chords, with the effects a tracker musician reaches for.
#include "songs.h"

#include "synth.h"

namespace varno::modgen {

Sample toneSample(const std::string& name, int cycles) {
    Sample s{name, repeat(sawCycle(32, 100), cycles)};
    s.loopStart = 0;
    s.loopLength = uint32_t(s.data.size());
    return s;
}

Sample oneShotSample(const std::string& name, int bytes) {
    Sample s{name, fade(repeat(squareCycle(32, 90), bytes / 32), 0.1)};
    s.data[0] = s.data[1] = 0;
    return s;
}

namespace {

enum Instrument { kKick = 1, kSnare, kHat, kBass, kLead, kPad, kPluck };

std::vector<Sample> demoSamples() {
    std::vector<Sample> s(7);
    s[0] = {"kick", kick(2400, 10, 70)};
    s[1] = {"snare", noiseBurst(3200, 110, 0.9988)};
    s[2] = {"hihat", noiseBurst(900, 80, 0.994), 0, 40};
    s[3] = toneSample("bass", 16);
    s[3].volume = 52;
    s[4] = {"lead", fade(repeat(squareCycle(32, 70), 96), 0.55)};
    s[4].loopStart = 64 * 32;
    s[4].loopLength = 32 * 32;
    s[5] = {"pad", repeat(sineCycle(32, 100), 8), 0, 36};
    s[5].loopLength = 256;
    s[6] = {"pluck", fade(repeat(sawCycle(16, 110), 600), 0.0)};
    s[6].finetune = 2; // slightly sharp, as samples often are
    return s;
}

const char* const kChordRoot[4] = {"A-1", "F-1", "C-2", "G-1"};
// Arpeggio of each chord: minor, major, major, major.
const uint8_t kChordArp[4] = {0x37, 0x47, 0x47, 0x47};
const char* const kChordPad[4] = {"A-2", "F-2", "C-3", "G-2"};

void put(Pattern& p, int row, int channel, int sample, const char* n, int command = 0, int param = 0) {
    p.at(row, channel) = Cell{uint8_t(sample), n ? note(n) : uint16_t(0), uint8_t(command), uint8_t(param)};
}

void drums(Pattern& p, bool busy) {
    for (int row = 0; row < 64; row += 4) put(p, row, 0, (row / 4) % 2 ? kSnare : kKick, "C-2");
    if (busy)
        for (int row = 2; row < 64; row += 8) put(p, row, 0, kKick, "C-2");
}

void bass(Pattern& p, bool slide) {
    for (int bar = 0; bar < 4; ++bar)
        for (int step = 0; step < 16; step += 2) {
            const int row = bar * 16 + step;
            const bool octave = (step / 2) % 2 == 1;
            uint16_t period = note(kChordRoot[bar]);
            if (octave) period = period / 2;
            p.at(row, 1) = Cell{kBass, period, 0, 0};
        }
    if (slide)
        for (int bar = 1; bar < 4; ++bar) p.at(bar * 16, 1) = Cell{0, note(kChordRoot[bar]), 3, 0x10};
}

void chords(Pattern& p, int channel) {
    for (int bar = 0; bar < 4; ++bar) {
        put(p, bar * 16, channel, kPad, kChordPad[bar], 0, kChordArp[bar]);
        for (int row = 1; row < 16; ++row) put(p, bar * 16 + row, channel, 0, nullptr, 0, kChordArp[bar]);
    }
}

void hats(Pattern& p, int channel) {
    for (int row = 2; row < 64; row += 4) put(p, row, channel, kHat, "C-3", 0xE, 0xC2);
}

// Lead line, one note per entry: row, note, command, parameter.
struct LeadNote {
    int row;
    const char* n;
    int command, param;
};

void lead(Pattern& p, const std::vector<LeadNote>& notes) {
    for (const LeadNote& l : notes) put(p, l.row, 2, l.n ? kLead : 0, l.n, l.command, l.param);
}

} // namespace

Module demoSong() {
    Module m;
    m.title = "varno demo";
    m.samples = demoSamples();
    m.patterns.resize(5);

    // 0: the groove alone, chords by arpeggio, hats cut short.
    Pattern& intro = m.patterns[0];
    drums(intro, false);
    bass(intro, false);
    chords(intro, 2);
    hats(intro, 3);
    put(intro, 0, 0, kKick, "C-2", 0xF, 6);

    // 1: the lead enters with vibrato and slides into notes.
    Pattern& verse = m.patterns[1];
    drums(verse, true);
    bass(verse, true);
    chords(verse, 3);
    lead(verse, {{0, "E-3", 0, 0},  {4, nullptr, 4, 0x44}, {8, "C-3", 0, 0},  {12, "D-3", 0, 0},
                 {16, "C-3", 0, 0}, {20, nullptr, 4, 0x34}, {24, "A-2", 0, 0}, {28, nullptr, 0xA, 0x02},
                 {32, "G-2", 0, 0}, {36, "C-3", 3, 0x08}, {40, nullptr, 5, 0x01}, {44, "E-3", 0, 0},
                 {48, "D-3", 0, 0}, {52, nullptr, 6, 0x02}, {56, "B-2", 0, 0}, {60, nullptr, 0xA, 0x04}});

    // 2: variation: note delays for swing, a snare roll by retrigger, fine slides.
    Pattern& fill = m.patterns[2];
    drums(fill, true);
    bass(fill, false);
    chords(fill, 3);
    lead(fill, {{0, "A-3", 0, 0},   {2, nullptr, 0xE, 0x12}, {6, "G-3", 0xE, 0xD2}, {8, "E-3", 0, 0},
                {12, "D-3", 0xE, 0xD3}, {16, "C-3", 0, 0}, {18, nullptr, 0xE, 0x22}, {24, "F-3", 0, 0},
                {28, nullptr, 0xE, 0xB4}, {32, "E-3", 0, 0}, {36, nullptr, 1, 0x02}, {40, "G-3", 0, 0},
                {44, nullptr, 2, 0x02}, {48, "D-3", 0, 0}, {52, "B-2", 0, 0}, {56, "D-3", 0, 0}});
    put(fill, 56, 0, kSnare, "C-2", 0xE, 0x93);
    put(fill, 60, 0, kSnare, "C-2", 0xE, 0x92);

    // 3: a two-bar loop played twice, pluck from a sample offset, tremolo chords.
    Pattern& loop = m.patterns[3];
    drums(loop, false);
    bass(loop, false);
    for (int bar = 0; bar < 4; ++bar) {
        put(loop, bar * 16, 3, kPad, kChordPad[bar], 7, 0x64);
        for (int row = 1; row < 16; ++row) put(loop, bar * 16 + row, 3, 0, nullptr, 7, 0);
    }
    for (int row = 0; row < 64; row += 3) put(loop, row, 2, kPluck, row % 2 ? "E-3" : "A-2", 9, row % 6 ? 0x08 : 0);
    put(loop, 32, 1, kBass, "C-2", 0xE, 0x60);
    put(loop, 63, 1, 0, nullptr, 0xE, 0x61);

    // 4: the ending: slower, a tempo change, a pattern delay, then fading out.
    Pattern& outro = m.patterns[4];
    drums(outro, false);
    bass(outro, false);
    chords(outro, 3);
    put(outro, 0, 2, kLead, "A-3", 0xF, 0x70);
    put(outro, 4, 2, 0, nullptr, 4, 0x56);
    put(outro, 16, 2, kLead, "F-3", 0xF, 0x07);
    put(outro, 31, 2, 0, nullptr, 0xE, 0xE2);
    put(outro, 32, 2, kLead, "E-3", 0, 0);
    put(outro, 40, 2, 0, nullptr, 0xE, 0x73);
    put(outro, 48, 2, kLead, "A-2", 0, 0);
    for (int row = 48; row < 64; ++row) {
        put(outro, row, 3, 0, nullptr, 0xA, 0x03);
        outro.at(row, 1).command = 0xA;
        outro.at(row, 1).param = 0x02;
        if (outro.at(row, 0).sample == 0) outro.at(row, 0) = Cell{0, 0, 0xA, 0x04};
    }
    m.orders = {0, 1, 2, 1, 3, 4};
    return m;
}

std::vector<Song> allSongs() {
    std::vector<Song> songs;
    songs.push_back({"demo", "a short song using most effects", demoSong()});
    for (Song& s : effectSongs()) songs.push_back(std::move(s));
    return songs;
}

} // namespace varno::modgen
