// The render loop on a whole machine and its song: ticks on demand, the one-tick
// lag, output halves and their surplus, split requests, and the ends of a song.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "audio/resample.h"
#include "session/render.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "session/frame_driver.h"
#include "machine/machine_fixture.h"
#include "machine/settings.h"
#include "players/player_archive.h"

namespace varno {
namespace {

std::vector<float> reportedLengths;
void VARNO_HOSTAPI recordLength(float seconds, int) { reportedLengths.push_back(seconds); }

class Render : public test::MachineTest {
protected:
    PluginSettings saved = pluginSettings;
    HostInputFunctions input{recordLength};
    HostTables host;
    uint32_t tickCounter = 0;

    void SetUp() override {
        test::MachineTest::SetUp();
        reportedLengths.clear();
        host = *m().host;
        host.inputFunctions = &input;
        m().host = &host;
        pluginSettings = PluginSettings{};
        pluginSettings.surround = 0;
        pluginSettings.stereo_separation = 100;
        pluginSettings.default_playtime = 0;
        song().updatePan(pluginSettings);
    }
    void TearDown() override {
        pluginSettings = saved;
        test::MachineTest::TearDown();
    }

    // A tick routine that counts its calls: addq.l #1,(a1); rts.
    void installCountingTick() {
        tickCounter = main().allocate(4);
        main().writeLong(tickCounter, 0);
        song().timerCode = placeCode({0x5291, 0x4E75});
        song().timerData = tickCounter;
    }
    uint32_t ticks() { return main().readLong(tickCounter); }

    // What a subsong start does: empty slots, then two ticks ahead.
    void prime() {
        for (auto& counts : song().channelCounts)
            for (int32_t& c : counts) c = 0;
        song().outputFill[0] = song().outputFill[1] = 0;
        song().slotTickSamples[0] = 0;
        runTick(m(), song(), 1);
    }

    // Channel 0 plays 256 words whose bytes count 0, 1, 2, ... 255, 0, 1, ...
    void playCountingBytes(uint16_t period) {
        for (uint32_t w = 0; w < 256; ++w) main().writeWord(0x30000 + 2 * w, uint16_t((2 * w & 0xFF) << 8 | ((2 * w + 1) & 0xFF)));
        CustomChips& chips = *m().customChips;
        PaulaChannel& ch = chips.paulaChannels[0];
        writeAudLch(ch, 0x0003);
        writeAudLcl(ch, 0x0000);
        writeAudLen(ch, 256);
        writeAudPer(ch, period);
        writeAudVol(ch, 64);
        writeDmacon(chips, 0x8201);
    }
    // A tick of latch 14208 at 15977 Hz is 320 frames (short by 1/22000 of a
    // frame, which the carried remainder takes up for 11000 ticks), and period
    // 222 gives exactly 320 samples a tick (5 x 14208 = 222 x 320), so None
    // copies the channel sample for sample.
    void exactTicks() {
        m().ciaB->TALO = uint8_t(14208 & 0xFF);
        m().ciaB->TAHI = uint8_t(14208 >> 8);
        song().timerSource = 3;
        song().sampleRate = 15977;
        m().updateTickLength();
        ASSERT_EQ(song().samplesPerTick, 320);
    }

    // Channel sample s of that block: the start transient plays bytes 2, 3 first;
    // after it byte s mod 512 plays at step s.
    static float countingSample(uint32_t s) {
        const uint32_t byte = s < 2 ? s + 2 : s % 512;
        return float(int8_t(uint8_t(byte))) / 256.0f;
    }
};

TEST_F(Render, EachTickAddsItsFramesAndTheSurplusWaits) {
    installCountingTick();
    prime();
    EXPECT_EQ(ticks(), 1u);
    std::vector<float> out(4000);
    EXPECT_EQ(render(m(), song(), out.data(), 1920), 1920);
    EXPECT_EQ(ticks(), 2u);                           // one tick: 960 frames
    EXPECT_EQ(render(m(), song(), out.data(), 1000), 1000);
    EXPECT_EQ(ticks(), 3u);
    EXPECT_EQ(render(m(), song(), out.data(), 920), 920);     // the 920 kept from that tick
    EXPECT_EQ(ticks(), 3u);
    EXPECT_EQ(render(m(), song(), out.data(), 1), 1);
    EXPECT_EQ(ticks(), 4u);
    EXPECT_EQ(render(m(), song(), out.data(), 3839), 3839);   // 1919 kept + two ticks
    EXPECT_EQ(ticks(), 5u);

    song().outputChannels = 1;                           // mono: 960 values a tick
    EXPECT_EQ(render(m(), song(), out.data(), 961), 961);    // two ticks
    EXPECT_EQ(ticks(), 7u);
    EXPECT_EQ(render(m(), song(), out.data(), 959), 959);    // the rest of the second
    EXPECT_EQ(render(m(), song(), out.data(), 0), 0);
    EXPECT_EQ(render(m(), song(), nullptr, 10), 0);
    EXPECT_EQ(ticks(), 7u);
}

TEST_F(Render, ChannelSamplesReachTheOutputOneTickLater) {
    exactTicks();
    playCountingBytes(222);
    prime();
    std::vector<float> out(640);
    ASSERT_EQ(render(m(), song(), out.data(), 640), 640);
    // Tick 0 (samples 0 .. 319) is heard first.
    for (uint32_t i = 0; i < 320; ++i) {
        EXPECT_EQ(out[2 * i], 0.5f * countingSample(i)) << i;
        EXPECT_EQ(out[2 * i + 1], 0.0f) << i;
    }
    ASSERT_EQ(render(m(), song(), out.data(), 640), 640);
    for (uint32_t i = 0; i < 320; ++i) EXPECT_EQ(out[2 * i], 0.5f * countingSample(320 + i)) << i;
}

TEST_F(Render, RequestsLargerThanAnOutputHalfAreServedWhole) {
    exactTicks();
    playCountingBytes(222);
    prime();
    const int32_t values = 300000; // more than one output half holds
    std::vector<float> out(size_t(values) + 1, 9.0f);
    ASSERT_EQ(render(m(), song(), out.data(), values), values);
    for (uint32_t i = 0; i < uint32_t(values) / 2; ++i)
        ASSERT_EQ(out[2 * i], 0.5f * countingSample(i)) << i;
    EXPECT_EQ(out[size_t(values)], 9.0f);
    // The stream goes on without a gap.
    ASSERT_EQ(render(m(), song(), out.data(), 2), 2);
    EXPECT_EQ(out[0], 0.5f * countingSample(uint32_t(values) / 2));
}

TEST_F(Render, SilenceEndsTheSongAfterSixSecondsOrThreeAfterSound) {
    installCountingTick();
    prime();
    std::vector<float> out(1920);
    int full = 0;
    while (render(m(), song(), out.data(), 1920) == 1920) ASSERT_LT(++full, 1000);
    // Ticks of 960.03 frames: 300 silent ticks are 288009 frames, past 6 s (299 are 287049).
    EXPECT_EQ(full, 300);
    EXPECT_EQ(song().silenceEnded, 1);
    ASSERT_EQ(reportedLengths.size(), 1u);
    // What was heard: the tick run ahead is not.
    EXPECT_NEAR(reportedLengths[0], 300 * 14188 / 709378.9, 1e-5);
    EXPECT_FLOAT_EQ(song().subsongSeconds[song().currentSubsong], reportedLengths[0]);
    EXPECT_EQ(render(m(), song(), out.data(), 1920), 0);
    EXPECT_EQ(ticks(), 301u);
}

TEST_F(Render, ThreeSecondsOfSilenceEndASongOnceSoundWasHeard) {
    installCountingTick();
    playCountingBytes(428);
    prime();
    std::vector<float> out(1920);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(render(m(), song(), out.data(), 1920), 1920);
    EXPECT_EQ(song().soundHeard, 1);
    writeDmacon(*m().customChips, 0x0001);
    // The tick in slot 2 still holds sound; then 150 silent ticks of 960.03
    // frames pass 3 s (144004 frames).
    int full = 0;
    while (render(m(), song(), out.data(), 1000) == 1000) ASSERT_LT(++full, 1000);
    EXPECT_EQ(song().silenceEnded, 1);
    EXPECT_EQ(ticks(), 1u + 5u + 1u + 150u);
}

TEST_F(Render, EndedSongHandsOverTheRemainderThenNothing) {
    installCountingTick();
    prime();
    std::vector<float> out(2000);
    EXPECT_EQ(render(m(), song(), out.data(), 1000), 1000);   // 920 kept
    song().songEndSignalled = 1;
    EXPECT_EQ(render(m(), song(), out.data(), 1000), 920);
    EXPECT_EQ(render(m(), song(), out.data(), 1000), 0);
    EXPECT_EQ(render(m(), song(), out.data(), 1000), 0);
    EXPECT_EQ(ticks(), 2u);
}

TEST_F(Render, FaultingTickEndsTheSongWithOneMessage) {
    song().timerCode = placeCode({0x4AFC}); // ILLEGAL
    prime();
    ASSERT_EQ(errors.size(), 1u) << "the first tick ahead faults; the faulted routine is not run again";
    std::vector<float> out(1920);
    EXPECT_EQ(render(m(), song(), out.data(), 1920), 0);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(reportedLengths.empty());
    song().tickFaulted = false;
    EXPECT_FALSE(endCheck(m(), song()));
}

TEST_F(Render, TempoSetByTheTickAppliesToThatTick) {
    // The tick routine writes CIA-B timer A's high byte: 0x6E6C = 28268 counts,
    // 28268 / 709378.9 s at 48000 Hz is 1912.7 frames: the first tick is heard for
    // 1913 (song time rounded to a frame).
    song().timerSource = 3;
    m().ciaB->TALO = 0x6C;
    m().ciaB->TAHI = 0x37;
    m().updateTickLength();
    ASSERT_EQ(song().samplesPerTick, 960);
    song().timerCode = placeCode({0x13FC, 0x006E, 0x00BF, 0xD500, 0x4E75}); // move.b #$6e,$bfd500; rts
    playCountingBytes(428);
    prime();
    EXPECT_EQ(song().slotTickSamples[1], 1913);
    EXPECT_EQ(song().channelCounts[0][1], 5 * 28268 / 428); // the channel already played the longer tick
    std::vector<float> out(2 * 1913);
    EXPECT_EQ(render(m(), song(), out.data(), 2 * 1913), 2 * 1913);
    EXPECT_EQ(song().outputFill[0] + song().outputFill[1], 0);  // exactly one tick
}

// Ticks are heard for their timer's length at the rate, the fractions of a frame
// carried: after n ticks the output holds their song time rounded to a frame,
// whatever the tempo and rate (rounding each tick alone drifted by 0.1 % and more).
TEST_F(Render, TicksLastWhatTheirTimersSayOnAverage) {
    const struct {
        uint16_t latch;
        uint32_t rate;
    } rows[] = {{14188, 48000}, {14236, 48000}, {14188, 44100}, {5000, 48000}, {11821, 22050}, {65535, 96000}};
    constexpr uint64_t kTicks = 1000;
    constexpr uint64_t kClock = 7093789; // the CIAs count at a tenth of it
    installCountingTick();
    song().silenceEnds = false; // the counting tick plays nothing
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.latch) + " counts at " + std::to_string(r.rate) + " Hz");
        song().timerSource = 3;
        song().sampleRate = r.rate;
        song().outputChannels = 1;
        m().ciaB->TALO = uint8_t(r.latch & 0xFF);
        m().ciaB->TAHI = uint8_t(r.latch >> 8);
        m().updateTickLength();
        main().writeLong(tickCounter, 0);
        song().restartClock();
        prime();
        const uint64_t frames = (kTicks * r.latch * 10 * r.rate + kClock / 2) / kClock;
        std::vector<float> out(frames);
        uint64_t done = 0;
        while (done < frames) done += uint64_t(render(m(), song(), out.data() + done, int32_t(frames - done)));
        EXPECT_EQ(ticks(), kTicks + 1) << "one tick runs ahead of what is heard";
        EXPECT_EQ(song().outputFill[0] + song().outputFill[1], 0) << "the last tick heard ends with the request";
        EXPECT_NEAR(song().elapsedSeconds - song().tickSeconds, double(kTicks * r.latch * 10) / kClock, 1e-9);
    }
}

// The render loop hears slot 1 and moves slot 2 up after every tick; after a
// faulted tick the tick heard next repeats the one heard now.
TEST_F(Render, FaultedTickRepeatsTheTickHeard) {
    installCountingTick();
    playCountingBytes(428);
    prime();
    runTick(m(), song(), 2);
    ASSERT_GE(song().channelCounts[0][2], 165);
    const float* slot1 = song().channelBuffers[0][1].get();
    const std::vector<float> heard(slot1, slot1 + song().channelCounts[0][1]);
    ASSERT_FALSE(heard.empty());
    writeDmacon(*m().customChips, 0x0001); // a good tick would now render nothing
    song().timerCode = placeCode({0x4AFC});
    runTick(m(), song(), 2);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(song().slotTickSamples[2], song().slotTickSamples[1]);
    ASSERT_EQ(song().channelCounts[0][2], int32_t(heard.size()));
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), song().channelBuffers[0][2].get()));
}

TEST(EndCheck, SongEndSignalPlayTimeAndSilence) {
    PluginSettings saved = pluginSettings;
    AmigaMachine m;
    Song song;
    m.players = std::make_unique<PlayerArchive>();
    m.players->items[0] = std::make_unique<SlavePlayer>();
    song.playerIndex = 0;
    struct Row {
        uint8_t signalled, silence; int useSongEnd, playtime; float elapsed; uint16_t flags; bool stop;
    };
    const Row rows[] = {
        {0, 0, 1, 180, 10.0f, 0, false},
        {1, 0, 1, 180, 10.0f, 0, true},
        {1, 0, 0, 180, 10.0f, 0, false},    // the signal is ignored when song ends are off
        {0, 1, 0, 0, 10.0f, 0, true},
        {0, 0, 1, 180, 180.0f, 0, true},    // play time reached
        {0, 0, 1, 180, 179.9f, 0, false},
        {0, 0, 1, 180, 500.0f, 2, false},   // a player that reports its end is awaited
        {0, 0, 0, 180, 180.0f, 2, true},    // ... unless song ends are off
        {0, 0, 1, 0, 5000.0f, 0, false},    // no play time limit
    };
    for (const Row& r : rows) {
        song.songEndSignalled = r.signalled;
        song.silenceEnded = r.silence;
        pluginSettings.use_songend = r.useSongEnd;
        pluginSettings.default_playtime = r.playtime;
        song.elapsedSeconds = r.elapsed;
        m.players->items[0]->flags = r.flags;
        EXPECT_EQ(endCheck(m, song), r.stop) << int(r.signalled) << int(r.silence) << r.useSongEnd << " " << r.playtime
                                       << " " << r.elapsed << " " << r.flags;
    }
    pluginSettings = saved;
}

// None's shortcut (a quiet raw block is a quiet channel) judges every tick as
// the full scan of the resampled frames does: a loud raw sample that None skips
// leaves the channel quiet, one that it picks makes it heard.
TEST(DetectSilence, NoneJudgesAsTheResampledFramesDo) {
    const struct {
        const char* what;
        int32_t raw;       // samples in the block
        int32_t loudAt;    // the one loud raw sample, or -1
        bool heard;
    } rows[] = {
        {"quiet block", 300, -1, false},
        {"loud sample picked", 300, 0, true},
        {"loud sample skipped", 3000, 2999, false},  // ten raw samples a frame: the last is never picked
        {"empty block", 0, -1, false},
    };
    for (const auto& r : rows) {
        for (const bool nearest : {false, true}) {
            AmigaMachine m;
            Song song;
            for (int c = 0; c < 4; ++c) {
                float* raw = song.channelBuffers[c][1].get();
                for (int32_t i = 0; i < r.raw; ++i) raw[i] = 0.001f * float(i % 7);
                if (c == 2 && r.loudAt >= 0) raw[r.loudAt] = 0.5f;
                song.channelCounts[c][1] = r.raw;
                resampleNearest(raw, r.raw, song.resampledBuffers[c].get(), 300);
            }
            song.silentSamples = 7;
            detectSilence(m, song, 300, nearest);
            EXPECT_EQ(song.silentSamples, r.heard ? 0 : 307) << r.what << (nearest ? ", raw blocks first" : "");
        }
    }
}

// How long a silence ends a song: 6 s before any sound, 3 s after; 30 s before
// sound as after it for a player that signals its song's end (its songs may open
// and end quietly), while the song end is obeyed; never while a front end has
// turned the silence rule off.
TEST(NoteSilence, LimitsBeforeAndAfterSoundAndForPlayersThatFindTheirEnd) {
    PluginSettings saved = pluginSettings;
    AmigaMachine m;
    Song song;
    m.players = std::make_unique<PlayerArchive>();
    m.players->items[0] = std::make_unique<SlavePlayer>();
    song.playerIndex = 0;
    song.sampleRate = 1000;
    const struct {
        uint8_t heard; int useSongEnd; uint16_t flags; int32_t silentMs; uint8_t ended; bool silenceEnds = true;
    } rows[] = {
        {0, 1, 0, 6000, 0}, {0, 1, 0, 6001, 1}, {1, 1, 0, 3000, 0},  {1, 1, 0, 3001, 1},
        {1, 1, 2, 29999, 0}, {1, 1, 2, 30001, 1}, {1, 0, 2, 3001, 1},
        {0, 1, 2, 6001, 0}, {0, 1, 2, 29999, 0}, {0, 1, 2, 30001, 1}, {0, 0, 2, 6001, 1},
        {0, 1, 0, 600000, 0, false}, {1, 0, 2, 600000, 0, false},
    };
    for (const auto& r : rows) {
        song.soundHeard = r.heard;
        song.silenceEnded = 0;
        song.silenceEnds = r.silenceEnds;
        song.silentSamples = r.silentMs - 1;
        pluginSettings.use_songend = r.useSongEnd;
        m.players->items[0]->flags = r.flags;
        noteSilence(m, song, false, 1);
        EXPECT_EQ(song.silenceEnded, r.ended) << int(r.heard) << r.useSongEnd << " " << r.flags << " " << r.silentMs
                                              << (r.silenceEnds ? "" : " with the rule off");
    }
    pluginSettings = saved;
}

TEST(RecordSongEnd, StoresTheLengthAndTheTotal) {
    PluginSettings saved = pluginSettings;
    AmigaMachine m;
    Song song;
    song.firstSubsong = 1;
    song.subsongCount = 3;
    song.subsongSeconds[1] = 60.0f;
    song.subsongSeconds[2] = 90.0f;
    song.subsongSeconds[4] = 1000.0f;  // not one of this module's subsongs
    song.currentSubsong = 3;
    song.elapsedSeconds = 30.0f;
    pluginSettings.use_songend = 0;
    song.songEndSignalled = 1;
    recordSongEnd(m, song);
    EXPECT_EQ(song.subsongSeconds[3], 0.0f);       // signal ignored
    pluginSettings.use_songend = 1;
    recordSongEnd(m, song);
    EXPECT_EQ(song.subsongSeconds[3], 30.0f);
    EXPECT_EQ(song.totalSeconds, 180.0f);
    song.currentSubsong = 200;                       // out of range: nothing written
    recordSongEnd(m, song);
    EXPECT_EQ(song.totalSeconds, 180.0f);
    pluginSettings = saved;
}

} // namespace
} // namespace varno
