// The AHX player of the default archive on a machine of its own (see PlayerTest),
// and AHX modules written by the tests.
#pragma once

#include <array>
#include <cstring>

#include "kit/player_test.h"
#include "memory/memory_region.h"

namespace varno::test {

// An AHX module as the tests write it: revision 1, every track stored.
struct AhxRow {
    uint8_t note = 0, instrument = 0, command = 0, param = 0;
};
struct AhxEntry {
    uint8_t waveform = 0, fixed = 0, note = 0; // waveform 1 triangle .. 4 noise
    uint8_t command[2] = {0, 0}, param[2] = {0, 0}; // play-list commands 0-5, 6 = C, 7 = F
};
struct AhxInstrument {
    uint8_t volume = 64, waveLength = 3;
    uint8_t attackFrames = 1, attackVolume = 64, decayFrames = 1, decayVolume = 64;
    uint8_t sustainFrames = 1, releaseFrames = 1, releaseVolume = 64;
    uint8_t filterLower = 0, filterUpper = 0, filterSpeed = 0;
    uint8_t squareLower = 0, squareUpper = 0, squareSpeed = 0;
    uint8_t vibratoDelay = 0, vibratoDepth = 0, vibratoSpeed = 0;
    uint8_t hardCutRelease = 0, hardCutFrames = 0;
    uint8_t speed = 1;
    std::vector<AhxEntry> list = {AhxEntry{1, 0, 1, {0, 0}, {0, 0}}};
    std::string name = "instrument";
};
struct AhxSong {
    uint8_t revision = 1, speedMultiplier = 1, trackLength = 4;
    uint16_t restart = 0;
    std::vector<uint16_t> subsongs;
    // Per position and channel: track and transpose.
    std::vector<std::array<std::pair<uint8_t, int8_t>, 4>> positions = {{}};
    std::vector<std::vector<AhxRow>> tracks = {{}};
    std::vector<AhxInstrument> instruments = {AhxInstrument{}};
    std::string title = "test song";

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> b = {'T', 'H', 'X', revision, 0, 0};
        auto word = [&b](unsigned w) {
            b.push_back(uint8_t(w >> 8));
            b.push_back(uint8_t(w));
        };
        word((revision ? (speedMultiplier - 1) << 13 : 0) | positions.size());
        word(restart);
        b.push_back(trackLength);
        b.push_back(uint8_t(tracks.size() - 1));
        b.push_back(uint8_t(instruments.size()));
        b.push_back(uint8_t(subsongs.size()));
        for (uint16_t s : subsongs) word(s);
        for (const auto& p : positions)
            for (const auto& c : p) {
                b.push_back(c.first);
                b.push_back(uint8_t(c.second));
            }
        for (const auto& t : tracks)
            for (unsigned r = 0; r < trackLength; ++r) {
                const AhxRow row = r < t.size() ? t[r] : AhxRow{};
                b.push_back(uint8_t(row.note << 2 | row.instrument >> 4));
                b.push_back(uint8_t(row.instrument << 4 | row.command));
                b.push_back(row.param);
            }
        for (const auto& i : instruments) {
            const uint8_t header[22] = {i.volume,
                                        uint8_t((i.filterSpeed & 0x1F) << 3 | i.waveLength),
                                        i.attackFrames, i.attackVolume, i.decayFrames, i.decayVolume,
                                        i.sustainFrames, i.releaseFrames, i.releaseVolume, 0, 0, 0,
                                        uint8_t((i.filterSpeed & 0x20) << 2 | i.filterLower),
                                        i.vibratoDelay,
                                        uint8_t(i.hardCutRelease << 7 | i.hardCutFrames << 4 | i.vibratoDepth),
                                        i.vibratoSpeed, i.squareLower, i.squareUpper, i.squareSpeed,
                                        i.filterUpper, i.speed, uint8_t(i.list.size())};
            b.insert(b.end(), header, header + 22);
            for (const auto& e : i.list) {
                b.push_back(uint8_t(e.command[1] << 5 | e.command[0] << 2 | e.waveform >> 1));
                b.push_back(uint8_t((e.waveform & 1) << 7 | e.fixed << 6 | e.note));
                b.push_back(e.param[0]);
                b.push_back(e.param[1]);
            }
        }
        const size_t names = b.size();
        b[4] = uint8_t(names >> 8);
        b[5] = uint8_t(names);
        b.insert(b.end(), title.begin(), title.end());
        b.push_back(0);
        for (const auto& i : instruments) {
            b.insert(b.end(), i.name.begin(), i.name.end());
            b.push_back(0);
        }
        return b;
    }
};

// A channel after a tick.
struct Seen {
    uint16_t period, volume;
};

class AhxTest : public PlayerTest {
protected:
    AhxTest() : PlayerTest(defaultArchiveDirectory(), "song.ahx") {}

    void SetUp() override {
        PlayerTest::SetUp();
        // The player that takes the smallest song must be the one named AHX.
        ahx = identify(AhxSong{}.bytes());
        ASSERT_GT(ahx, 0) << "no player takes an AHX song";
        ASSERT_EQ(ahx, catalogueIndex("AHX"));
    }

    // Opening runs the song's first tick (its sound is the first heard).
    static constexpr int kTicksRunAtOpen = 1;

    std::vector<Seen> watch(int n, int ticks) {
        std::vector<Seen> seen;
        for (int i = 0; i < ticks; ++i) {
            EXPECT_TRUE(playerTick(*machine, *songRecord));
            seen.push_back({channel(n).period, channel(n).volume});
        }
        return seen;
    }

    // The bytes Paula plays on a channel: its loop of 640 bytes.
    std::vector<int8_t> channelLoop(int n) const {
        const MemoryRegion& m = *machine->mainMemory;
        const uint32_t at = channel(n).location, bytes = 2u * channel(n).length;
        if (!m.contains(at, bytes)) return {};
        std::vector<int8_t> loop(bytes);
        for (uint32_t i = 0; i < bytes; ++i) loop[i] = int8_t(m.readByte(at + i));
        return loop;
    }

    int32_t ahx = -1;
};

} // namespace varno::test
