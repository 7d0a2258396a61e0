// What the replay writes to Paula, tick by tick, for the effects whose timing and
// values decide how a module sounds. Expected values are worked out by hand from
// ProTracker's rules (period table, 6 ticks per row, effects on ticks 1..5).
// Opening a module runs its tick 0; the effect under test sits on row 1
// (ticks 6..11), so watching starts at tick 1.
#include "protracker_fixture.h"

#include "hardware/cia.h"

#include "songs.h"

namespace varno::test {
namespace {

using Effects = ProTrackerTest;
using modgen::Cell;
using modgen::note;

constexpr int kTone = 1;  // a looped saw, 2048 bytes
constexpr int kPing = 2;  // a one-shot, 8192 bytes
constexpr int kQuiet = 3; // a looped saw at volume 20

// One pattern: row 0 plays C-2 on channel 0, row 1 holds the cell under test.
modgen::Module testModule(Cell row1, Cell row0 = Cell{kTone, 428, 0, 0}) {
    modgen::Module m;
    m.title = "effect test";
    m.samples = {modgen::toneSample("tone"), modgen::oneShotSample("ping"), modgen::toneSample("quiet")};
    m.samples[2].volume = 20;
    m.patterns.resize(1);
    m.patterns[0].at(0, 0) = row0;
    m.patterns[0].at(1, 0) = row1;
    m.orders = {0};
    return m;
}

std::vector<uint16_t> periods(const std::vector<Seen>& seen, size_t from, size_t count) {
    std::vector<uint16_t> out;
    for (size_t i = from; i < from + count && i < seen.size(); ++i) out.push_back(seen[i].period);
    return out;
}

std::vector<uint16_t> volumes(const std::vector<Seen>& seen, size_t from, size_t count) {
    std::vector<uint16_t> out;
    for (size_t i = from; i < from + count && i < seen.size(); ++i) out.push_back(seen[i].volume);
    return out;
}

// Ticks 6..11 (row 1) of channel 0 are entries 5..10 of watch(0, ...).
constexpr size_t kRow1 = 5;

struct PeriodCase {
    const char* what;
    Cell row1;
    Cell row0;
    std::vector<uint16_t> expected; // ticks 6..11
};

TEST_F(Effects, PeriodsWrittenTickByTick) {
    const PeriodCase cases[] = {
        {"porta up 10", {0, 0, 1, 0x10}, {kTone, 428}, {428, 412, 396, 380, 364, 348}},
        {"porta up stops at 113", {0, 0, 1, 0x30}, {kTone, 214}, {214, 166, 118, 113, 113, 113}},
        // Paula raises any period below 113 itself; the replay's own limit shows when
        // sliding back down from it.
        {"porta down from the 113 limit", {0, 0, 2, 0x01}, {kTone, 120, 1, 0x08}, {113, 114, 115, 116, 117, 118}},
        {"porta down stops at 856", {0, 0, 2, 0x40}, {kTone, 808}, {808, 856, 856, 856, 856, 856}},
        {"fine porta up on tick 0 only", {0, 0, 0xE, 0x15}, {kTone, 428}, {423, 423, 423, 423, 423, 423}},
        {"fine porta down on tick 0 only", {0, 0, 0xE, 0x23}, {kTone, 428}, {431, 431, 431, 431, 431, 431}},
        {"arpeggio 0 / +4 / +7", {0, 0, 0, 0x47}, {kTone, 428}, {428, 339, 285, 428, 339, 285}},
        // A#3 + 12 is read past B-3, from finetune +1's notes: its A#1.
        {"arpeggio past B-3 reads on", {0, 0, 0, 0x0C}, {kTone, 120}, {120, 120, 477, 120, 120, 477}},
        // Tone portamento from C-2 towards C-1 (856) by 0x20 a tick; the new note
        // does not restart the sample.
        {"tone porta", {0, 856, 3, 0x20}, {kTone, 428}, {428, 460, 492, 524, 556, 588}},
        {"tone porta reaches its note exactly", {0, 453, 3, 0x08}, {kTone, 428}, {428, 436, 444, 452, 453, 453}},
        // Vibrato speed 4 depth 8: position 0, 16, 32, ... of the sine (0, 97, 180,
        // 235, 255 / 128 x 8), added in the first half of the wave.
        {"vibrato", {0, 0, 4, 0x48}, {kTone, 428}, {428, 428, 434, 439, 442, 443}},
        // Finetune by E5x on the note: C-2 at +7 and at -1.
        {"finetune +7", {kTone, 428, 0xE, 0x57}, {kTone, 428}, {407, 407, 407, 407, 407, 407}},
        {"finetune -1", {kTone, 428, 0xE, 0x5F}, {kTone, 428}, {431, 431, 431, 431, 431, 431}},
        // Entries where ProTracker's table is not finetune 0 shifted and rounded.
        {"finetune +1 E-1", {kTone, 678, 0xE, 0x51}, {kTone, 428}, {674, 674, 674, 674, 674, 674}},
        {"finetune -8 D#1", {kTone, 720, 0xE, 0x58}, {kTone, 428}, {762, 762, 762, 762, 762, 762}},
        {"finetune -4 A#3", {kTone, 120, 0xE, 0x5C}, {kTone, 428}, {123, 123, 123, 123, 123, 123}},
    };
    for (const PeriodCase& c : cases) {
        ASSERT_TRUE(open(testModule(c.row1, c.row0))) << c.what;
        const auto seen = watch(0, 11);
        EXPECT_EQ(periods(seen, kRow1, 6), c.expected) << c.what;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The replay's period table is ProTracker's, word for word as the file beside the
// shared modules holds it (16 finetunes x 36 notes, big-endian as in the Amiga's memory).
TEST_F(Effects, ThePeriodTableIsProTrackers) {
    const std::filesystem::path file = std::filesystem::path(VARNO_SHARED_DIR) / "data/protracker/pt-periods.be16";
    const std::vector<uint8_t> table = readBytes(file);
    if (table.empty()) GTEST_SKIP() << "no " << file;
    ASSERT_EQ(table.size(), 16u * 36 * 2);
    for (int player : {kProTracker, kSoundTracker}) {
        modgen::Module module = testModule({});
        if (player == kSoundTracker) module.magic.clear();
        ASSERT_TRUE(open(module)) << player;
        ASSERT_EQ(songRecord->playerIndex, player);
        const MemoryRegion& m = *machine->mainMemory;
        std::vector<uint8_t> memory(m.size);
        for (uint32_t i = 0; i < m.size; ++i) memory[i] = m.readByte(m.base + i);
        EXPECT_NE(std::search(memory.begin(), memory.end(), table.begin(), table.end()), memory.end())
            << "player " << player << " does not carry the table";
        closeModule(*machine, *songRecord);
    }
}

struct VolumeCase {
    const char* what;
    Cell row1;
    Cell row0;
    std::vector<uint16_t> expected; // ticks 6..11
};

TEST_F(Effects, VolumesWrittenTickByTick) {
    const VolumeCase cases[] = {
        {"slide up 4 from 20", {0, 0, 0xA, 0x40}, {kQuiet, 428}, {20, 24, 28, 32, 36, 40}},
        {"slide down F stops at 0", {0, 0, 0xA, 0x0F}, {kTone, 428}, {64, 49, 34, 19, 4, 0}},
        {"slide up wins over down", {0, 0, 0xA, 0x2F}, {kQuiet, 428}, {20, 22, 24, 26, 28, 30}},
        {"fine slide up on tick 0", {0, 0, 0xE, 0xA7}, {kQuiet, 428}, {27, 27, 27, 27, 27, 27}},
        {"fine slide down on tick 0", {0, 0, 0xE, 0xB7}, {kQuiet, 428}, {13, 13, 13, 13, 13, 13}},
        {"set volume above 64 gives 64", {0, 0, 0xC, 0x70}, {kQuiet, 428}, {64, 64, 64, 64, 64, 64}},
        {"note cut at tick 3", {0, 0, 0xE, 0xC3}, {kTone, 428}, {64, 64, 64, 0, 0, 0}},
        {"note cut at tick 0", {0, 0, 0xE, 0xC0}, {kTone, 428}, {0, 0, 0, 0, 0, 0}},
        {"sample without note sets its volume", {kQuiet, 0, 0, 0}, {kTone, 428}, {20, 20, 20, 20, 20, 20}},
        // Tremolo speed 4 depth 8 on volume 20: sine x 8 / 64 added.
        {"tremolo", {0, 0, 7, 0x48}, {kQuiet, 428}, {20, 20, 32, 42, 49, 51}},
        {"tone porta and slide", {0, 0, 5, 0x03}, {kTone, 428}, {64, 61, 58, 55, 52, 49}},
    };
    for (const VolumeCase& c : cases) {
        ASSERT_TRUE(open(testModule(c.row1, c.row0))) << c.what;
        const auto seen = watch(0, 11);
        EXPECT_EQ(volumes(seen, kRow1, 6), c.expected) << c.what;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

std::vector<int> startTicks(const std::vector<Seen>& seen, size_t from, size_t count) {
    std::vector<int> out;
    for (size_t i = from; i < from + count && i < seen.size(); ++i)
        if (seen[i].started) out.push_back(int(i - from));
    return out;
}

struct StartCase {
    const char* what;
    Cell row1;
    std::vector<int> ticks; // ticks of row 1 (0..5) at which the sample starts
};

TEST_F(Effects, SampleStartsTickByTick) {
    const StartCase cases[] = {
        {"a note starts at tick 0", {kPing, 428, 0, 0}, {0}},
        {"no note, no start", {0, 0, 0, 0}, {}},
        {"retrigger every 2 ticks", {kPing, 428, 0xE, 0x92}, {0, 2, 4}},
        {"retrigger every 4 ticks", {kPing, 428, 0xE, 0x94}, {0, 4}},
        {"retrigger without a note restarts at tick 0 too", {0, 0, 0xE, 0x93}, {0, 3}},
        {"note delay 3", {kPing, 428, 0xE, 0xD3}, {3}},
        {"note delay past the row: never", {kPing, 428, 0xE, 0xD8}, {}},
        {"tone porta keeps the sample playing", {kPing, 428, 3, 0x10}, {}},
    };
    for (const StartCase& c : cases) {
        ASSERT_TRUE(open(testModule(c.row1))) << c.what;
        EXPECT_EQ(startTicks(watch(0, 11), kRow1, 6), c.ticks) << c.what;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The first block's length after a sample offset, read back from Paula's word
// counter just after the start (it has fetched one word): the ping is 4096 words.
TEST_F(Effects, SampleOffsetShortensTheFirstBlock) {
    const struct {
        int param;
        uint32_t remaining;
    } cases[] = {{0x00, 4095}, {0x08, 4096 - 1024 - 1}, {0x1F, 4096 - 3968 - 1}, {0x20, 1}, {0x40, 1}};
    for (const auto& c : cases) {
        ASSERT_TRUE(open(testModule(Cell{kPing, 428, 9, uint8_t(c.param)})));
        const auto seen = watch(0, 6);
        EXPECT_TRUE(seen[kRow1].started) << c.param;
        EXPECT_EQ(seen[kRow1].remaining, c.remaining) << "offset " << c.param;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Speed and tempo: rows of 3 ticks after F03; F40 sets 64 beats a minute, a CIA
// latch of 1773447 / 64 = 27710 and so a tick of 27710 / 709379 s.
TEST_F(Effects, SpeedAndTempoChangeTheTicks) {
    modgen::Module m = testModule(Cell{kPing, 428, 0xF, 0x03});
    m.patterns[0].at(2, 0) = Cell{kPing, 428, 0, 0};
    m.patterns[0].at(3, 0) = Cell{kPing, 428, 0xF, 0x40};
    ASSERT_TRUE(open(m));
    const double defaultTick = songRecord->tickSeconds;
    EXPECT_NEAR(defaultTick, 14187 / 709378.92, 1e-6);
    const auto seen = watch(0, 5 + 3 + 3 + 1);
    EXPECT_EQ(startTicks(seen, kRow1, 7), (std::vector<int>{0, 3, 6})) << "rows 1, 2 and 3 three ticks apart";
    EXPECT_NEAR(songRecord->tickSeconds, 27710 / 709378.92, 1e-6);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// E01 on row 1 switches the audio filter off, E00 on row 2 on again: the power
// LED's bit of CIA-A port A, high for off.
TEST_F(Effects, FilterCommandSwitchesThePowerLed) {
    modgen::Module m = testModule(Cell{0, 0, 0xE, 0x01});
    m.patterns[0].at(2, 0) = Cell{0, 0, 0xE, 0x00};
    ASSERT_TRUE(open(m));
    EXPECT_EQ(machine->ciaA->PRA & 0x02, 0) << "on after start-up";
    watch(0, 5 + 1);
    EXPECT_EQ(machine->ciaA->PRA & 0x02, 0x02) << "E01: off";
    watch(0, 6);
    EXPECT_EQ(machine->ciaA->PRA & 0x02, 0) << "E00: on";
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// E60 on row 1 and E62 on row 2: rows 1-2 three times over, then row 3 (C-3).
TEST_F(Effects, PatternLoopRepeatsItsRows) {
    modgen::Module m = testModule(Cell{kPing, 428, 0xE, 0x60});
    m.patterns[0].at(2, 0) = Cell{kPing, 404, 0xE, 0x62};
    m.patterns[0].at(3, 0) = Cell{kPing, 214, 0, 0};
    ASSERT_TRUE(open(m));
    std::vector<uint16_t> notes;
    for (const auto& s : watch(0, 5 + 6 * 7))
        if (s.started) notes.push_back(s.period);
    EXPECT_EQ(notes, (std::vector<uint16_t>{428, 404, 428, 404, 428, 404, 214}));
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// EE2 on row 1: the row lasts three rows' time, its note plays once.
TEST_F(Effects, PatternDelayHoldsTheRow) {
    modgen::Module m = testModule(Cell{kPing, 428, 0xE, 0xE2});
    m.patterns[0].at(2, 0) = Cell{kPing, 214, 0, 0};
    ASSERT_TRUE(open(m));
    const auto seen = watch(0, 5 + 6 * 3 + 1);
    EXPECT_EQ(startTicks(seen, kRow1, 19), (std::vector<int>{0, 18}));
    EXPECT_EQ(seen[kRow1 + 18].period, 214);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// A sample given without a note takes over once the playing block ends: its repeat
// is queued at once, while the old sample plays on.
TEST_F(Effects, SampleWithoutNoteQueuesItsLoop) {
    ASSERT_TRUE(open(testModule(Cell{kQuiet, 0, 0, 0}, Cell{kPing, 428, 0, 0})));
    watch(0, 6);
    EXPECT_EQ(channel(0).length, 1024) << "the repeat of the tone sample (2048 bytes)";
    EXPECT_EQ(channel(0).volume, 20);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
