// Commands, instruments and synth sounds as Paula sees them: periods and volumes
// tick by tick, and the mixing of songs with more than four tracks.
#include "med_fixture.h"

namespace varno::test {
namespace {

using Commands = MedTest;

// Track 0 of a 4-line block: `first` on line 0, `second` on line 1 (ticks 6-11,
// six ticks a line at 50 Hz). Instrument 1 is a looped square at volume 64.
struct Case {
    const char* what;
    MedCell first, second;
    std::vector<uint16_t> expected; // ticks 6..11
    uint8_t flags = 0x20;           // slides wait for the second tick
    int8_t song_transpose = 0, instrument_transpose = 0;
    uint8_t volume = 64, hold = 0, decay = 0;
};

std::vector<Seen> lineOne(MedTest& test, const Case& c) {
    MedSong song = simpleSong(4);
    song.flags = c.flags;
    song.transpose = c.song_transpose;
    song.instruments[0].transpose = c.instrument_transpose;
    song.instruments[0].volume = c.volume;
    song.instruments[0].hold = c.hold;
    song.instruments[0].decay = c.decay;
    song.blocks[0].at(0, 0) = c.first;
    song.blocks[0].at(1, 0) = c.second;
    EXPECT_TRUE(test.open(writeMed(song))) << c.what;
    return test.watchLineOne(0);
}

TEST_F(Commands, VolumeCommandsHoldAndDecay) {
    const MedCell c2 = {13, 1, 0, 0}; // C-2
    const Case cases[] = {
        {"0C20 with hexadecimal volumes", c2, {0, 0, 0x0C, 0x20}, {32, 32, 32, 32, 32, 32}, 0x30},
        {"0C20 with decimal volumes", c2, {0, 0, 0x0C, 0x20}, {20, 20, 20, 20, 20, 20}, 0x20},
        {"0C99 decimal, above 64", c2, {0, 0, 0x0C, 0x99}, {64, 64, 64, 64, 64, 64}, 0x20},
        {"0C8C hexadecimal with the top bit", c2, {0, 0, 0x0C, 0x8C}, {12, 12, 12, 12, 12, 12}, 0x30},
        {"0D02 slides down from the second tick", c2, {0, 0, 0x0D, 0x02}, {64, 62, 60, 58, 56, 54}, 0x20},
        {"0D02 slides on every tick without the compatible slides", c2, {0, 0, 0x0D, 0x02}, {62, 60, 58, 56, 54, 52}, 0},
        {"0A20 slides up", {13, 1, 0x0C, 0x10}, {0, 0, 0x0A, 0x20}, {10, 12, 14, 16, 18, 20}, 0x20},
        {"1A05 raises the volume once", c2, {0, 0, 0x1A, 0x05}, {45, 45, 45, 45, 45, 45}, 0x20, 0, 0, 40},
        {"1B05 lowers it once", c2, {0, 0, 0x1B, 0x05}, {35, 35, 35, 35, 35, 35}, 0x20, 0, 0, 40},
        {"0FFF turns the note off", c2, {0, 0, 0x0F, 0xFF}, {0, 0, 0, 0, 0, 0}},
        {"1803 cuts the note on tick 3", c2, {13, 1, 0x18, 0x03}, {64, 64, 64, 0, 0, 0}},
        {"a note takes its instrument's volume", {13, 1, 0x0C, 0x10}, {20, 1, 0, 0}, {50, 50, 50, 50, 50, 50}, 0x20, 0, 0, 50},
        {"a note without an instrument keeps the volume", {13, 1, 0x0C, 0x10}, {20, 0, 0, 0}, {10, 10, 10, 10, 10, 10}},
        {"hold 2, decay 8", {}, {13, 1, 0, 0}, {64, 64, 56, 48, 40, 32}, 0x20, 0, 0, 64, 2, 8},
        {"hold 3, decay 0 cuts", {}, {13, 1, 0, 0}, {64, 64, 64, 0, 0, 0}, 0x20, 0, 0, 64, 3, 0},
        {"0812 sets decay 1, hold 2", {}, {13, 1, 0x08, 0x12}, {64, 64, 63, 62, 61, 60}},
        {"0788 tremolo from the second tick", {}, {13, 1, 0x07, 0x88}, {32, 32, 54, 63, 54, 32}, 0x20, 0, 0, 32},
    };
    for (const auto& c : cases) {
        const std::vector<Seen> seen = lineOne(*this, c);
        for (size_t t = 0; t < c.expected.size(); ++t) EXPECT_EQ(seen[t].volume, c.expected[t]) << c.what << " tick " << t + 6;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Commands, NotesTransposesAndPitchCommands) {
    const MedCell c2 = {13, 1, 0, 0};
    const Case cases[] = {
        {"C-2", {}, c2, {428, 428, 428, 428, 428, 428}},
        {"C-1 and B-3 end the table", {}, {1, 1, 0, 0}, {856, 856, 856, 856, 856, 856}},
        {"B-3", {}, {36, 1, 0, 0}, {113, 113, 113, 113, 113, 113}},
        {"notes above B-3 repeat the top octave", {}, {37, 1, 0, 0}, {214, 214, 214, 214, 214, 214}},
        {"the song transposes", {}, c2, {214, 214, 214, 214, 214, 214}, 0x20, 12},
        {"the instrument transposes", {}, c2, {856, 856, 856, 856, 856, 856}, 0x20, 0, -12},
        {"0104 slides up from the second tick", c2, {0, 0, 0x01, 0x04}, {428, 424, 420, 416, 412, 408}},
        {"0204 slides down on every tick", c2, {0, 0, 0x02, 0x04}, {432, 436, 440, 444, 448, 452}, 0},
        {"1108 fine slide up once", c2, {0, 0, 0x11, 0x08}, {420, 420, 420, 420, 420, 420}},
        {"0047 arpeggio", c2, {0, 0, 0x00, 0x47}, {428, 339, 285, 428, 339, 285}},
        {"0320 slides to the note", c2, {25, 1, 0x03, 0x20}, {428, 396, 364, 332, 300, 268}},
        {"0FF2 starts the note half-way", c2, {25, 1, 0x0F, 0xF2}, {428, 428, 428, 214, 214, 214}},
        {"1F20 starts the note on tick 2", c2, {25, 1, 0x1F, 0x20}, {428, 428, 214, 214, 214, 214}},
        {"0FFD changes the pitch without a restart", c2, {25, 1, 0x0F, 0xFD}, {214, 214, 214, 214, 214, 214}},
    };
    for (const auto& c : cases) {
        const std::vector<Seen> seen = lineOne(*this, c);
        for (size_t t = 0; t < c.expected.size(); ++t) EXPECT_EQ(seen[t].period, c.expected[t]) << c.what << " tick " << t + 6;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Synth sounds: the volume sequence sets the volume step by step; the waveform
// sequence picks the waveform Paula plays.
TEST_F(Commands, SynthSequencesStepEveryTick) {
    const struct {
        const char* what;
        std::vector<uint8_t> volumes;
        uint8_t speed;
        std::vector<uint16_t> expected; // ticks 6..11
    } cases[] = {
        {"values one a step", {64, 48, 32, 16, 0xFB}, 1, {64, 48, 32, 16, 16, 16}},
        {"SPD 2: a step every second tick", {64, 48, 32, 0xFB}, 2, {64, 64, 48, 48, 32, 32}},
        {"WAI 2 waits two steps", {64, 0xF1, 2, 32, 0xFF}, 1, {64, 64, 64, 64, 32, 32}},
        {"CHD 8 lowers the volume each step", {64, 0xF2, 8, 0xFB}, 1, {64, 56, 48, 40, 32, 24}},
        {"CHU 4 raises it", {20, 0xF3, 4, 0xFB}, 1, {20, 24, 28, 32, 36, 40}},
        {"JMP loops the sequence", {64, 0, 0xFE, 0}, 1, {64, 0, 64, 0, 64, 0}},
        {"SPD inside the sequence", {0xF0, 3, 64, 32, 0xFB}, 1, {64, 64, 64, 32, 32, 32}},
    };
    for (const auto& c : cases) {
        MedSong song = simpleSong(4);
        MedInstrument synth;
        synth.type = -1;
        synth.volumes = c.volumes;
        synth.volume_speed = c.speed;
        synth.waveforms = {1, 0xFB};
        synth.waves = {squareWave(32), squareWave(64)};
        song.instruments.push_back(synth);
        song.blocks[0].at(1, 0) = {13, 2, 0, 0};
        ASSERT_TRUE(open(song)) << c.what;
        const std::vector<Seen> seen = watchLineOne(0);
        for (size_t t = 0; t < c.expected.size(); ++t) {
            EXPECT_EQ(seen[t].volume, c.expected[t]) << c.what << " tick " << t + 6;
            EXPECT_EQ(seen[t].period, 428) << c.what << " tick " << t + 6;
        }
        EXPECT_EQ(channel(0).length, 32) << c.what << ": waveform 1, 64 bytes";
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Commands, SynthPitchCommandsMoveThePeriod) {
    const struct {
        const char* what;
        std::vector<uint8_t> waveforms;
        std::vector<uint16_t> expected; // ticks 6..11
    } cases[] = {
        {"CHD 4 lowers the pitch each step", {0, 0xF2, 4, 0xFB}, {428, 432, 436, 440, 444, 448}},
        {"CHU 2 raises it", {0, 0xF3, 2, 0xFB}, {428, 426, 424, 422, 420, 418}},
        {"RES undoes the change", {0, 0xF2, 8, 0xF1, 1, 0xF6, 0xFB}, {428, 436, 444, 428, 428, 428}},
        {"ARP plays its notes a tick each, from its step on", {0, 0xFC, 0, 4, 7, 0xFD, 0xFB}, {428, 428, 339, 285, 428, 339}},
    };
    for (const auto& c : cases) {
        MedSong song = simpleSong(4);
        MedInstrument synth;
        synth.type = -1;
        synth.volumes = {64, 0xFB};
        synth.waveforms = c.waveforms;
        synth.waves = {squareWave(32)};
        song.instruments.push_back(synth);
        song.blocks[0].at(1, 0) = {13, 2, 0, 0};
        ASSERT_TRUE(open(song)) << c.what;
        const std::vector<Seen> seen = watchLineOne(0);
        for (size_t t = 0; t < c.expected.size(); ++t)
            EXPECT_EQ(seen[t].period, c.expected[t]) << c.what << " tick " << t + 6;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// A hybrid plays its sample, shaped by its volume sequence and pitched by its
// waveform sequence.
TEST_F(Commands, HybridsPlayTheirSampleThroughTheSequences) {
    MedSong song = simpleSong(4);
    MedInstrument hybrid;
    hybrid.type = -2;
    hybrid.data = squareWave(200);
    hybrid.volumes = {64, 0xF2, 16, 0xFB};
    hybrid.waveforms = {0, 0xF2, 2, 0xFB};
    song.instruments.push_back(hybrid);
    song.blocks[0].at(1, 0) = {13, 2, 0, 0};
    ASSERT_TRUE(open(song));
    const std::vector<Seen> seen = watchLineOne(0);
    const uint16_t volumes[] = {64, 48, 32, 16, 0, 0}, periods[] = {428, 430, 432, 434, 436, 438};
    for (size_t t = 0; t < seen.size(); ++t) {
        EXPECT_EQ(seen[t].volume, volumes[t]) << "tick " << t + 6;
        EXPECT_EQ(seen[t].period, periods[t]) << "tick " << t + 6;
    }
    EXPECT_EQ(channel(0).length, 1) << "a one-shot sample repeats silence once played";
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Samples of several octaves (IFF): each octave of notes plays one of the
// sample's octaves (longer ones for lower notes) on the period table's C-1..C-3
// rows; the loop, given in the shortest octave, grows with it.
TEST_F(Commands, SamplesOfSeveralOctavesPickTheirOctave) {
    const struct {
        int type, octaves;
        uint8_t note;
        uint16_t period, loop_words;
    } cases[] = {
        {1, 5, 1, 428, 256},  {1, 5, 13, 428, 128}, {1, 5, 37, 428, 32}, {1, 5, 49, 214, 32}, {1, 5, 61, 214, 16},
        {2, 3, 1, 856, 64},   {2, 3, 25, 428, 32},  {2, 3, 61, 214, 16}, {3, 2, 1, 856, 32},  {3, 2, 37, 214, 16},
        {4, 4, 13, 428, 128}, {4, 4, 37, 214, 64},  {5, 6, 1, 428, 512}, {5, 6, 61, 428, 16}, {6, 7, 1, 428, 1024},
        {6, 7, 61, 428, 32},
    };
    for (const auto& c : cases) {
        MedSong song = simpleSong(4);
        song.version = 1;
        MedInstrument iff;
        iff.type = c.type;
        iff.data = squareWave(32 * ((1u << c.octaves) - 1));
        iff.rep = 0;
        iff.replen = 16; // the shortest octave's 32 bytes
        song.instruments[0] = iff;
        song.blocks[0].at(1, 0) = {c.note, 1, 0, 0};
        ASSERT_TRUE(open(song));
        const std::vector<Seen> seen = watchLineOne(0);
        EXPECT_EQ(seen[0].period, c.period) << "type " << c.type << " note " << int(c.note);
        EXPECT_EQ(channel(0).length, c.loop_words) << "type " << c.type << " note " << int(c.note);
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Songs of 5 to 8 tracks: Paula's four channels play the mixed buffers at the
// mixing rate, full volume, whichever tracks sound.
TEST_F(Commands, MixedSongsPlayBuffersOnEveryChannel) {
    for (unsigned tracks : {5u, 6u, 8u}) {
        MedSong song = simpleSong(4);
        song.flags = 0x40;
        song.tempo = 10;
        song.blocks[0] = MedBlock(tracks, 4);
        for (unsigned t = 4; t < tracks; ++t) song.blocks[0].at(0, t) = {13, 1, 0, 0};
        ASSERT_TRUE(open(song)) << tracks;
        watch(0, 4);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(channel(c).period, 300) << tracks << " tracks, channel " << c;
            EXPECT_EQ(channel(c).volume, 64) << tracks << " tracks, channel " << c;
            EXPECT_NE(channel(c).state, 0u) << tracks << " tracks, channel " << c;
        }
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
