// The song being played on a machine: which player plays it, where the module
// lies in emulated memory and on the host, its subsongs and their lengths, how
// its ticks are timed and how far it has played, what its player reports of it,
// and its audio path (audio/audio_path.h). The machine is the emulated Amiga
// alone; it asks this record its few questions through PlayedSong, and whoever
// plays a song holds both. Any number of pairs may exist: the plugin's, each
// library module's, the length scanner's.
#pragma once

#include <cstdint>

#include "audio/audio_path.h"
#include "machine/played_song.h"
#include "session/song_info.h"

namespace varno {

struct AmigaMachine;
struct PluginSettings;
struct SlavePlayer;

constexpr uint16_t kNoPlayer = 0xFFFF;
constexpr int kMaxSubsongs = 64;

struct Song final : PlayedSong, AudioPath {
    uint16_t playerIndex = kNoPlayer;  // in the machine's catalogue; 0 a custom module's own player
    uint32_t moduleAddress = 0;
    uint32_t moduleSize = 0;
    uint8_t songEndSignalled = 0;
    uint8_t silenceEnded = 0;
    bool tickFaulted = false;  // the last tick routine faulted: its message is shown, the song ends
    uint8_t soundHeard = 0;
    int32_t silentSamples = 0;
    char moduleDirectory[512] = {};
    char moduleFileName[512] = {};
    char modulePath[512] = {};
    char songTitle[128] = {};  // UTF-8, of at most 63 characters
    SongInfo songInfo;
    char formatName[8] = {};
    // Song time: the ticks run since the subsong started (the one being
    // generated included), as long as their timer made each.
    double elapsedSeconds = 0;
    double tickSeconds = 0;
    // The tick's length in output frames, rounded; the frames each tick is heard
    // for carry the remainder (takeTickFrames), so that ticks last what their
    // timer says, and N ticks are heard for N ticks' time rounded to a frame.
    int32_t samplesPerTick = 0;
    // Whether a long silence ends the song. A front end playing a stretch the
    // listener chose turns it off: silence inside that stretch is music.
    bool silenceEnds = true;
    uint32_t subsongCount = 0;
    uint32_t currentSubsong = 0;
    uint32_t firstSubsong = 0;
    uint32_t lastSubsong = 0;
    float totalSeconds = 0;
    uint8_t subsongValid[kMaxSubsongs] = {};
    float subsongSeconds[kMaxSubsongs] = {};
    // The player's tick: the interrupt server the timer runs, and which timer.
    uint32_t timerCode = 0;
    uint32_t timerData = 0;
    uint32_t timerSource = 0;  // as PlayedSong::tickTimer

    Song() = default;
    Song(const Song&) = delete;
    Song& operator=(const Song&) = delete;

    // channelPan from the stereo separation and surround settings.
    void updatePan(const PluginSettings& settings);
    // Nothing played yet: the audio path's buffers cleared, the play time and
    // the end and silence state back to their start.
    void resetPlayback();
    // Song time and the frames' carry back to the subsong's start.
    void restartClock();
    // The frames the tick just run is heard for: its exact length at the sample
    // rate plus what earlier ticks left over, rounded down; the rest carries on.
    int32_t takeTickFrames();

    // What the machine asks of the song.
    uint32_t tickTimer() const override { return timerSource; }
    void setTickLength(uint16_t latch, float clockHz) override;
    const char* directoryOfModule() const override { return moduleDirectory; }
    const char* fileNameOfModule() const override { return moduleFileName; }
    void signalSongEnd() override { songEndSignalled = 1; }

private:
    // The tick in frames times the processor clock (exact: the CIAs count at a
    // tenth of the clock), and the part of a frame not yet heard, in that unit.
    uint64_t tickFrameUnits_ = 0;
    uint64_t frameCarry_ = 0;
    uint32_t clock_ = 0;
};

// The machine plays the song from now on: it forwards the song's questions to it,
// and the song takes its pan from the machine's settings and its tick length
// from the machine's timers. The song must outlive its use by the machine.
void attachSong(AmigaMachine& machine, Song& song);

// The machine's catalogue entry for the song's player, or null.
SlavePlayer* currentPlayer(const AmigaMachine& machine, const Song& song);

} // namespace varno
