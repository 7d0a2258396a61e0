// One small song per decisive effect. Each plays a single pattern of 32 rows (unless
// the effect itself moves around the song) and then repeats, which ends it; most
// use a decaying one-shot sample so that the effect shows in the loudness too.
#include "songs.h"

#include <functional>

#include "synth.h"

namespace varno::modgen {

namespace {

enum { kTone = 1, kPing = 2 };

// A ping: a short decaying square, so that every note start is heard as an onset.
Sample pingSample() { return oneShotSample("ping", 4096); }

Cell c(int sample, const char* n, int command = 0, int param = 0) {
    return Cell{uint8_t(sample), n ? note(n) : uint16_t(0), uint8_t(command), uint8_t(param)};
}

Cell fx(int command, int param) { return Cell{0, 0, uint8_t(command), uint8_t(param)}; }

// A song of one pattern whose row 31 breaks to the next position (itself, again).
Song oneLoop(const std::string& name, const std::string& what, const std::function<void(Pattern&)>& fill,
             std::vector<Sample> samples = {toneSample("tone"), pingSample()}) {
    Song s{name, what, Module{}};
    s.module.title = name;
    s.module.samples = std::move(samples);
    s.module.patterns.resize(1);
    fill(s.module.patterns[0]);
    if (s.module.patterns[0].at(31, 3).command == 0) s.module.patterns[0].at(31, 3) = fx(0xD, 0);
    s.module.orders = {0};
    return s;
}

// Marks the beat on channel 3 with pings every 4 rows, for the loudness envelope.
void beat(Pattern& p, int rows = 32) {
    for (int r = 0; r < rows; r += 4) p.at(r, 3) = c(kPing, "C-3");
}

Song arpeggio() {
    return oneLoop("fx-arpeggio", "0xy on a held tone, major then minor, and a wide one", [](Pattern& p) {
        p.at(0, 0) = c(kTone, "C-2", 0, 0x47);
        for (int r = 1; r < 12; ++r) p.at(r, 0) = fx(0, 0x47);
        p.at(12, 0) = c(kTone, "A-1", 0, 0x37);
        for (int r = 13; r < 24; ++r) p.at(r, 0) = fx(0, 0x37);
        p.at(24, 0) = c(kTone, "C-3", 0, 0xCF); // runs off the top of the table
        for (int r = 25; r < 31; ++r) p.at(r, 0) = fx(0, 0xCF);
        beat(p);
    });
}

Song portaSlides() {
    return oneLoop("fx-porta-slides", "1xx and 2xx up to the period limits, E1x and E2x", [](Pattern& p) {
        p.at(0, 0) = c(kTone, "C-3", 1, 0x08);
        for (int r = 1; r < 8; ++r) p.at(r, 0) = fx(1, 0x08); // reaches 113 and stays
        p.at(8, 0) = c(kTone, "C-1", 2, 0x06);
        for (int r = 9; r < 16; ++r) p.at(r, 0) = fx(2, 0x06); // reaches 856 and stays
        p.at(16, 0) = c(kTone, "C-2");
        for (int r = 17; r < 24; ++r) p.at(r, 0) = fx(0xE, 0x14);
        for (int r = 24; r < 31; ++r) p.at(r, 0) = fx(0xE, 0x26);
        beat(p);
    });
}

Song tonePorta() {
    return oneLoop("fx-tone-porta", "3xx up and down, 5xy with a volume slide, glissando", [](Pattern& p) {
        p.at(0, 0) = c(kTone, "C-1");
        p.at(2, 0) = c(0, "C-3", 3, 0x10);
        for (int r = 3; r < 8; ++r) p.at(r, 0) = fx(3, 0);
        p.at(8, 0) = c(0, "G-1", 3, 0x0C);
        for (int r = 9; r < 14; ++r) p.at(r, 0) = fx(3, 0);
        p.at(14, 0) = c(0, "C-3", 5, 0x02);
        for (int r = 15; r < 20; ++r) p.at(r, 0) = fx(5, 0x02);
        p.at(20, 0) = c(kTone, "C-1", 0xE, 0x31);
        p.at(22, 0) = c(0, "C-3", 3, 0x04);
        for (int r = 23; r < 31; ++r) p.at(r, 0) = fx(3, 0);
        beat(p);
    });
}

Song vibrato() {
    return oneLoop("fx-vibrato", "4xy sine, ramp and square, memory, 6xy", [](Pattern& p) {
        p.at(0, 0) = c(kTone, "C-2", 4, 0x48);
        for (int r = 1; r < 8; ++r) p.at(r, 0) = fx(4, 0);
        p.at(8, 0) = c(kTone, "C-2", 0xE, 0x41);
        for (int r = 9; r < 14; ++r) p.at(r, 0) = fx(4, 0x6C);
        p.at(14, 0) = c(kTone, "C-2", 0xE, 0x42);
        for (int r = 15; r < 22; ++r) p.at(r, 0) = fx(4, 0x3F);
        p.at(22, 0) = c(kTone, "G-2", 4, 0x84);
        for (int r = 23; r < 31; ++r) p.at(r, 0) = fx(6, 0x01);
        beat(p);
    });
}

Song tremolo() {
    return oneLoop("fx-tremolo", "7xy sine, ramp and square waveforms", [](Pattern& p) {
        p.at(0, 0) = c(kTone, "C-2", 7, 0x4F);
        for (int r = 1; r < 10; ++r) p.at(r, 0) = fx(7, 0);
        p.at(10, 0) = c(kTone, "C-2", 0xE, 0x71);
        for (int r = 11; r < 20; ++r) p.at(r, 0) = fx(7, 0x8C);
        p.at(20, 0) = c(kTone, "C-2", 0xE, 0x72);
        for (int r = 21; r < 31; ++r) p.at(r, 0) = fx(7, 0x38);
    });
}

Song volumeSlides() {
    return oneLoop("fx-volume-slides", "Axy both ways to the limits, EAx, EBx, Cxx", [](Pattern& p) {
        p.at(0, 0) = c(kTone, "C-2", 0xA, 0x03);
        for (int r = 1; r < 8; ++r) p.at(r, 0) = fx(0xA, 0x03);
        for (int r = 8; r < 16; ++r) p.at(r, 0) = fx(0xA, 0x20);
        p.at(16, 0) = fx(0xC, 0x10);
        for (int r = 17; r < 21; ++r) p.at(r, 0) = fx(0xE, 0xA6);
        for (int r = 21; r < 26; ++r) p.at(r, 0) = fx(0xE, 0xBC);
        p.at(26, 0) = fx(0xC, 0x50); // above 64: full volume
        for (int r = 27; r < 31; ++r) p.at(r, 0) = fx(0x5, 0x01);
    });
}

Song sampleOffset() {
    Sample shortLoop = toneSample("short loop", 4);
    shortLoop.loopStart = 64;
    shortLoop.loopLength = 64;
    return oneLoop(
        "fx-sample-offset", "9xx inside the sample, remembered, and past the end", [](Pattern& p) {
            p.at(0, 0) = c(kPing, "C-2", 9, 0x00);
            p.at(4, 0) = c(kPing, "C-2", 9, 0x10);
            p.at(8, 0) = c(kPing, "C-2", 9, 0x00); // remembers 0x10
            p.at(12, 0) = c(kPing, "C-2", 9, 0x1C);
            p.at(16, 0) = c(kPing, "C-2", 9, 0x40); // past the end: silence
            p.at(20, 0) = c(3, "C-2", 9, 0x20);     // past the end of a looped one: the loop
            p.at(26, 0) = c(kPing, "C-2");
        },
        {toneSample("tone"), pingSample(), shortLoop});
}

Song finetune() {
    std::vector<Sample> samples = {toneSample("tone"), pingSample(), pingSample(), pingSample()};
    samples[2].finetune = 7;
    samples[3].finetune = 8; // -8
    return oneLoop(
        "fx-finetune", "sample finetunes +7 and -8, E5x on a note", [](Pattern& p) {
            p.at(0, 0) = c(kPing, "C-2");
            p.at(4, 0) = c(3, "C-2");
            p.at(8, 0) = c(4, "C-2");
            p.at(12, 0) = c(kPing, "C-2", 0xE, 0x57);
            p.at(16, 0) = c(kPing, "A-2", 0xE, 0x5F);
            p.at(20, 0) = c(kTone, "C-2", 0xE, 0x53);
            p.at(24, 0) = c(kTone, "C-2", 0xE, 0x5B);
            beat(p);
        },
        samples);
}

Song retrigger() {
    return oneLoop("fx-retrigger", "E9x every 1, 2 and 3 ticks, with and without a note", [](Pattern& p) {
        p.at(0, 0) = c(kPing, "C-2", 0xE, 0x93);
        p.at(4, 0) = c(kPing, "E-2", 0xE, 0x92);
        p.at(8, 0) = c(kPing, "G-2", 0xE, 0x91);
        p.at(12, 0) = fx(0xE, 0x92); // no note: retriggers on tick 0 too
        p.at(16, 0) = c(kPing, "C-3", 0xE, 0x94);
        p.at(20, 0) = c(kPing, "C-2", 0xE, 0x90); // 0: nothing
    });
}

Song noteDelay() {
    return oneLoop("fx-note-delay", "EDx by 1..5 ticks and past the row's end", [](Pattern& p) {
        const int delays[] = {0, 1, 2, 3, 4, 5, 9};
        for (int i = 0; i < 7; ++i) p.at(i * 4, 0) = c(kPing, "C-2", 0xE, 0xD0 | delays[i]);
        beat(p);
    });
}

Song noteCut() {
    return oneLoop("fx-note-cut", "ECx at ticks 0..5 and past the row's end", [](Pattern& p) {
        const int cuts[] = {0, 1, 2, 3, 5, 8};
        for (int i = 0; i < 6; ++i) p.at(i * 4, 0) = c(kTone, "C-2", 0xE, 0xC0 | cuts[i]);
        beat(p);
    });
}

Song patternLoop() {
    return oneLoop("fx-pattern-loop", "E60/E6x: rows 4..7 three times, then 16..19 twice", [](Pattern& p) {
        for (int r = 0; r < 31; r += 2) p.at(r, 0) = c(kPing, r % 4 ? "C-2" : "C-3");
        p.at(4, 1) = fx(0xE, 0x60);
        p.at(7, 1) = fx(0xE, 0x62);
        p.at(16, 2) = fx(0xE, 0x60);
        p.at(19, 2) = fx(0xE, 0x61);
    });
}

Song patternDelay() {
    return oneLoop("fx-pattern-delay", "EEx: rows held for 1..4 more rows, notes not replayed", [](Pattern& p) {
        for (int r = 0; r < 31; r += 2) p.at(r, 0) = c(kPing, "C-2");
        p.at(4, 1) = fx(0xE, 0xE1);
        p.at(10, 1) = fx(0xE, 0xE4);
        p.at(16, 1) = c(kTone, "C-1", 0xE, 0xE2);
        p.at(17, 1) = fx(0xC, 0);
    });
}

Song jumpBreak() {
    Song s{"fx-jump-break", "Bxx and Dxy between positions; the song repeats through a jump", Module{}};
    s.module.title = "jump and break";
    s.module.samples = {toneSample("tone"), pingSample()};
    s.module.patterns.resize(3);
    for (int p = 0; p < 3; ++p)
        for (int r = 0; r < 64; r += 2) s.module.patterns[size_t(p)].at(r, 0) = c(kPing, p == 1 ? "E-2" : "C-2");
    s.module.patterns[0].at(15, 3) = fx(0xD, 0x10); // to the next position, row 10
    s.module.patterns[1].at(25, 3) = fx(0xB, 0x03); // to position 3
    s.module.patterns[2].at(7, 3) = fx(0xD, 0x00);
    s.module.patterns[2].at(12, 3) = fx(0xB, 0x01); // back: position 1 row 0 was skipped, plays
    s.module.orders = {0, 1, 0, 2};
    return s;
}

Song speedTempo() {
    return oneLoop("fx-speed-tempo", "Fxx speeds 3 and 12, tempos 80 and 192", [](Pattern& p) {
        p.at(0, 3) = fx(0xF, 3);
        p.at(8, 3) = fx(0xF, 12);
        p.at(12, 3) = fx(0xF, 0x50);
        p.at(16, 3) = fx(0xF, 6);
        p.at(20, 3) = fx(0xF, 0xC0);
        for (int r = 0; r < 31; r += 2) p.at(r, 0) = c(kPing, "C-2");
    });
}

Song soundTracker() {
    Song s = oneLoop("st-song", "a 15-sample SoundTracker module", [](Pattern& p) {
        const char* line[] = {"C-2", "E-2", "G-2", "C-3", "G-2", "E-2", "D-2", "B-1"};
        for (int r = 0; r < 32; r += 2) p.at(r, 0) = c(kPing, line[(r / 2) % 8], 0xC, 0x30 + r);
        p.at(0, 1) = c(kTone, "C-1");
        p.at(16, 1) = c(kTone, "G-1");
    });
    s.module.magic.clear();
    return s;
}

} // namespace

std::vector<Song> effectSongs() {
    return {arpeggio(),   portaSlides(), tonePorta(),  vibrato(),     tremolo(),      volumeSlides(),
            sampleOffset(), finetune(),  retrigger(),  noteDelay(),   noteCut(),      patternLoop(),
            patternDelay(), jumpBreak(), speedTempo(), soundTracker()};
}

} // namespace varno::modgen
