// Starting and restarting subsongs: stopping the previous sound, the player's
// InitSound and interrupt, the tick length, and the first two ticks.
#include <algorithm>

#include "amigaos/system.h"
#include "players/player_archive.h"
#include "session/render.h"
#include "cpu/cpu.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"
#include "session/song.h"
#include "session/frame_driver.h"
#include "session/player_calls.h"
#include "machine/run_routine.h"
#include "amigaos/deli_base.h"
#include "players/slave_player.h"
#include "players/tag_names.h"

namespace varno {

namespace {

void callIfPresent(SlavePlayer* p, int tag) {
    if (p && p->dtTags[tag]) callEntry(*p, dtTagNames[tag], p->dtTags[tag], nullptr, nullptr);
}

void clearSampleBuffers(Song& song) {
    song.clearSurroundDelay();
    song.clearMixBuffers();
    song.clearChannelSlots();
}

} // namespace

void startSubsong(AmigaMachine& m, Song& song, int32_t subsong, bool fresh) {
    const int64_t s = subsong == -1 ? int64_t(song.currentSubsong) : int64_t(subsong) + song.firstSubsong;
    if (s < 0 || s >= kMaxSubsongs || !song.subsongValid[s]) return;

    if (m.cpu) {
        CpuState& registers = m.cpu->processor.cpuState;
        registers.pendingInterrupts = 0;
        std::fill(std::begin(registers.interruptVectors), std::end(registers.interruptVectors), uint8_t(0));
    }
    SlavePlayer* p = currentPlayer(m, song);
    if (!fresh) {
        callIfPresent(p, DTP_StopInt);
        callIfPresent(p, DTP_EndSound);
    }
    clearSampleBuffers(song);

    song.updateFrameSamples();
    song.currentSubsong = uint32_t(s);
    MemoryRegion& low = *m.lowMemory;
    const uint32_t base = m.system->deliBase->base;
    low.writeWord(base + kDeliSubsong, uint16_t(s));

    callIfPresent(p, DTP_InitSound);
    startInterrupt(m, song);
    chooseTickSource(m, song);
    if (p && p->dtTags[DTP_Interrupt]) {
        const uint16_t timer = low.readWord(base + kDeliTimer);
        m.ciaB->TALO = uint8_t(timer);
        m.ciaB->TAHI = uint8_t(timer >> 8);
    }
    m.updateTickLength();

    song.restartClock();
    song.outputFill[0] = song.outputFill[1] = 0;
    song.songEndSignalled = song.silenceEnded = song.soundHeard = 0;
    song.silentSamples = 0;
    song.tickFaulted = false;
    reportLength(m, song);

    // The channels' sample clocks start the subsong in step, as at its first start.
    if (m.customChips)
        for (PaulaChannel& channel : m.customChips->paulaChannels) channel.cycleCarry = 0;
    for (auto& counts : song.channelCounts) std::fill(std::begin(counts), std::end(counts), 0);
    song.amigaOutput = AmigaOutputState{};
    // Before the song's first tick the channels were silent: slot 0, the context
    // of the first tick heard, holds nothing, and the first tick is heard first.
    song.slotTickSamples[0] = 0;
    song.slotLedFilter[0] = m.ciaA && powerLedOn(*m.ciaA);
    runTick(m, song, 1);
}

bool restartIfEnded(AmigaMachine& m, Song& song) {
    song.songEndSignalled = 0;
    bool running = true;
    if (song.silenceEnded || song.silentSamples != 0) {
        startSubsong(m, song, -1, false);
        running = false;
    }
    song.silenceEnded = 0;
    song.elapsedSeconds = 0;
    song.silentSamples = 0;
    return running;
}

} // namespace varno
