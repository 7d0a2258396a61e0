// The frame driver's per-tick work: the player's tick routine, the end checks,
// silence detection and the recording of song lengths.
#include "players/player_archive.h"
#include "session/frame_driver.h"

#include <algorithm>
#include <cmath>

#include "amigaos/exec_library.h"
#include "amigaos/system.h"
#include "cpu/cpu.h"
#include "machine/cpu_context.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"
#include "session/song.h"
#include "machine/run_routine.h"
#include "machine/settings.h"
#include "players/slave_player.h"

namespace varno {

bool playerTick(AmigaMachine& m, Song& song) {
    // A tick routine that faulted has shown its message and is not run again
    // until the next subsong start: one message, not one per tick.
    if (song.tickFaulted) return false;
    // A player that hung in its set-up has nothing to play: the song ends.
    if (const SlavePlayer* player = currentPlayer(m, song); player && player->hung) {
        song.tickFaulted = true;
        return false;
    }
    bool ok = true;
    if (song.timerCode != 0 && m.cpu) {
        CpuState& registers = m.cpu->processor.cpuState;
        registers.a[0] = kCustomChipsBase;
        registers.a[1] = song.timerData;
        registers.a[6] = (m.system && m.system->exec) ? m.system->exec->baseAddress() : 0;
        registers.d[1] = m.customChips ? uint32_t(m.customChips->intreq & m.customChips->intena) : 0;
        registers.pc = song.timerCode;
        SlavePlayer* player = currentPlayer(m, song);
        nameFaultProcedure(*m.cpu, player ? player->formatTitle : "", "interrupt");
        const uint32_t result = runRoutine(*m.cpu, nullptr, nullptr, kTickCycleLimit);
        ok = result == RUN_BUDGET_SPENT;
        // Nor are its stop routines run at the close: they would hang as well, or say so again.
        if (player && result == kRunTimedOut) player->hung = true;
        song.elapsedSeconds += song.tickSeconds;
    }
    if (m.cpu) cpu::serviceInterrupts(m.cpu->processor);
    song.tickFaulted = !ok;
    return ok;
}


bool endCheck(const AmigaMachine& m, const Song& song) {
    const bool useSongEnd = m.settings->use_songend != 0;
    if (song.songEndSignalled && useSongEnd) return true;
    if (song.silenceEnded) return true;
    if (song.tickFaulted) return true;
    if (m.settings->default_playtime != 0 && song.elapsedSeconds >= double(m.settings->default_playtime)) {
        // A player that reports its song ends is trusted over the play time.
        const SlavePlayer* player = currentPlayer(m, song);
        const bool reportsEnd = player && (player->flags & kPlayerReportsSongEnd);
        if (!(reportsEnd && useSongEnd)) return true;
    }
    return false;
}

bool anySound(const float* samples, int32_t count) {
    // Sixteen values at a time without an exit inside, so that the test of a
    // silent (fully scanned) channel runs as vector code.
    constexpr int32_t kRun = 16;
    int32_t i = 0;
    for (; i + kRun <= count; i += kRun) {
        bool loud = false;
        for (int32_t k = 0; k < kRun; ++k) loud |= std::abs(samples[i + k]) > kSilenceThreshold;
        if (loud) return true;
    }
    for (; i < count; ++i)
        if (std::abs(samples[i]) > kSilenceThreshold) return true;
    return false;
}

void noteSilence(const AmigaMachine& m, Song& song, bool sound, int32_t frames) {
    if (sound) {
        song.silentSamples = 0;
        song.soundHeard = 1;
    } else if (song.silentSamples <= INT32_MAX - frames) {
        song.silentSamples += frames;
    }
    if (!song.silenceEnds) return;
    double limit = song.soundHeard ? kSilenceAfterSound : kSilenceBeforeSound;
    // A player that finds its song's end is trusted with silences inside the song,
    // a quiet opening and a quiet ending alike; a long silence still ends a song
    // whose end never comes.
    const SlavePlayer* player = currentPlayer(m, song);
    if (player && (player->flags & kPlayerReportsSongEnd) && m.settings->use_songend) limit = kSilenceInOwnEndSong;
    if (double(song.silentSamples) / double(song.sampleRate) > limit) song.silenceEnded = 1;
}

void detectSilence(const AmigaMachine& m, Song& song, int32_t frames, bool nearest) {
    bool sound = false;
    for (int c = 0; c < 4 && !sound; ++c) {
        if (nearest && !anySound(song.channelBuffers[c][1].get(), song.channelCounts[c][1])) continue;
        sound = anySound(song.resampledBuffers[c].get(), frames);
    }
    noteSilence(m, song, sound, frames);
}

void recordSongEnd(const AmigaMachine& m, Song& song) {
    const bool signalled = song.songEndSignalled && m.settings->use_songend;
    if (!signalled && !song.silenceEnded) return;
    if (song.currentSubsong >= uint32_t(kMaxSubsongs)) return;
    // The audio path runs one tick behind the player: the tick just run is not yet
    // heard, and the song ended before it.
    song.subsongSeconds[song.currentSubsong] = float(std::max(0.0, song.elapsedSeconds - song.tickSeconds));
    float total = 0;
    for (uint32_t s = song.firstSubsong; s < song.firstSubsong + song.subsongCount && s < uint32_t(kMaxSubsongs); ++s)
        total += song.subsongSeconds[s];
    song.totalSeconds = total;
    reportLength(m, song);
}

void reportLength(const AmigaMachine& m, const Song& song) {
    if (!m.host || !m.host->inputFunctions || !m.host->inputFunctions->setLength) return;
    if (song.currentSubsong >= uint32_t(kMaxSubsongs)) return;
    m.host->inputFunctions->setLength(song.subsongSeconds[song.currentSubsong], m.settings->seeking ? 1 : 0);
}

} // namespace varno
