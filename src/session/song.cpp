// The song record: its pan gains, tick length and play state.
#include "session/song.h"

#include <algorithm>
#include <cmath>

#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "players/player_archive.h"

namespace varno {

void Song::updatePan(const PluginSettings& settings) {
    // Separations outside 0..100 % would take the square root of a negative number.
    float s = settings.surround ? 1.0f : float(std::clamp(settings.stereo_separation, 0, 100)) / 100.0f;
    float hi = std::sqrt(0.5f + s / 2.0f);
    float lo = std::sqrt(std::max(0.0f, 0.5f - s / 2.0f));
    const float pans[4][2] = {{hi, lo}, {lo, hi}, {lo, hi}, {hi, lo}};
    std::copy(&pans[0][0], &pans[0][0] + 8, &channelPan[0][0]);
}

void Song::setTickLength(uint16_t latch, float clockHz) {
    const uint32_t clock = uint32_t(std::max(1L, std::lround(clockHz)));
    if (clock != clock_) {
        clock_ = clock;
        frameCarry_ = clock_ / 2;
    }
    tickSeconds = double(latch) * 10.0 / double(clock_);
    tickFrameUnits_ = uint64_t(latch) * 10 * sampleRate;
    samplesPerTick = int32_t((tickFrameUnits_ + clock_ / 2) / clock_);
}

int32_t Song::takeTickFrames() {
    if (clock_ == 0) return samplesPerTick;
    frameCarry_ += tickFrameUnits_;
    const uint64_t frames = frameCarry_ / clock_;
    frameCarry_ -= frames * clock_;
    return int32_t(frames);
}

void Song::restartClock() {
    elapsedSeconds = 0;
    // Half a frame ahead: the frames heard up to any tick are its song time
    // rounded to the nearest frame, not cut down.
    frameCarry_ = clock_ / 2;
}

void Song::resetPlayback() {
    clearSurroundDelay();
    clearMixBuffers();
    restartClock();
    outputFill[0] = outputFill[1] = 0;
    songEndSignalled = silenceEnded = soundHeard = 0;
    silentSamples = 0;
    amigaOutput = AmigaOutputState{};
}

void attachSong(AmigaMachine& machine, Song& song) {
    machine.song = &song;
    song.updatePan(*machine.settings);
    machine.updateTickLength();
}

SlavePlayer* currentPlayer(const AmigaMachine& machine, const Song& song) {
    return machine.players ? machine.players->player(song.playerIndex) : nullptr;
}

} // namespace varno
