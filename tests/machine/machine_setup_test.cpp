// Building the machine and returning it, and the song it plays, to their
// start between modules.
#include <gtest/gtest.h>

#include <cstring>

#include "amigaos/system.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/machine_fixture.h"
#include "players/player_archive.h"

namespace varno {
namespace {

using MachineSetup = test::MachineTest;

TEST_F(MachineSetup, CreationWiresTheWholeMachine) {
    EXPECT_EQ(low().base, 0u);
    EXPECT_EQ(low().size, 0x20000u);
    EXPECT_EQ(main().base, 0x20000u);
    EXPECT_EQ(main().size, 0x5E0000u);
    EXPECT_EQ(main().cursor, 0x20000u);
    EXPECT_EQ(m().ciaA->header.base, 0xBFE000u);
    EXPECT_EQ(m().ciaB->header.base, 0xBFD000u);
    EXPECT_EQ(m().customChips->header.base, 0xDFF000u);
    EXPECT_EQ(m().customChips->sampleMemory, &main());
    EXPECT_EQ(m().system->cpu, m().cpu.get());
    EXPECT_EQ(m().system->exec->cpu, m().cpu.get());
    EXPECT_EQ(m().system->exec->processor, &m().cpu->processor);
    EXPECT_EQ(m().system->deliBase->processor, &m().cpu->processor);
    EXPECT_EQ(m().cpu->owner, &m());
    EXPECT_STREQ(m().pluginDirectory, "/plugins/");
    EXPECT_STREQ(m().system->dos->pluginDirectoryRef, "/plugins/");
    EXPECT_EQ(m().players, nullptr);
    EXPECT_EQ(song().playerIndex, 0xFFFF);
}

TEST_F(MachineSetup, ResetDropsEverythingAfterThePlayers) {
    main().cursor = main().resetCursor = 0x30000;
    m().players = std::make_unique<PlayerArchive>();
    m().system->deliBase->listCount = 5;
    main().allocate(0x1000);
    m().ciaB->TAHI = 0x12;
    m().customChips->dmacon = 0x820F;
    m().system->ciaa->timerBInterrupt = 0x30000;
    song().elapsedSeconds = 12.5f;

    m().reset();

    EXPECT_EQ(main().cursor, 0x30000u);
    EXPECT_EQ(m().system->deliBase->listCount, 0u);
    EXPECT_EQ(m().ciaB->TAHI, 0);
    EXPECT_EQ(m().customChips->dmacon, 0x0200);
    EXPECT_EQ(m().system->ciaa->timerBInterrupt, 0u);
    EXPECT_EQ(song().elapsedSeconds, 12.5f) << "the song is not the machine's";
}

TEST_F(MachineSetup, ASongsPlaybackResetClearsWhatItsAudioPathHeld) {
    song().songEndSignalled = song().silenceEnded = song().soundHeard = 1;
    song().silentSamples = 99;
    song().elapsedSeconds = 12.5f;
    song().outputFill[0] = song().outputFill[1] = 7;
    // Written as the render notes its writes: the longest tick there can be
    // leaves its last step carry at the end of the resampled buffer.
    song().noteTickFrames(65534);
    song().noteSurroundDelay(6);
    song().noteOutputValues(1);
    song().mixBuffer[123] = 1.0f;
    song().surroundDelay[1][5] = 1.0f;
    song().resampledBuffers[3][65534 + kStepTaps - 1] = 1.0f;
    song().outputBuffers[1][0] = 1.0f;
    song().amigaOutput.model = 2;
    m().ciaB->TAHI = 0x12;

    song().resetPlayback();

    EXPECT_EQ(song().songEndSignalled + song().silenceEnded + song().soundHeard, 0);
    EXPECT_EQ(song().silentSamples, 0);
    EXPECT_EQ(song().elapsedSeconds, 0.0f);
    EXPECT_EQ(song().outputFill[0] + song().outputFill[1], 0);
    EXPECT_EQ(song().mixBuffer[123], 0.0f);
    EXPECT_EQ(song().surroundDelay[1][5], 0.0f);
    EXPECT_EQ(song().resampledBuffers[3][65534 + kStepTaps - 1], 0.0f);
    EXPECT_EQ(song().outputBuffers[1][0], 0.0f);
    EXPECT_EQ(song().amigaOutput.model, 0);
    EXPECT_EQ(m().ciaB->TAHI, 0x12) << "the machine is not the song's";
}

// Two machines side by side: what each one's bus writes reaches its own chips.
TEST_F(MachineSetup, EachMachinesBusReachesItsOwnDevices) {
    auto other = createMachine(test::fakeHost(), "/x/");
    auto write = [](const BusRegion* list, uint32_t address, uint32_t value) {
        for (const BusRegion* r = list; r->first != kListEnd; ++r)
            if (address >= r->first && address <= r->last && r->write) return r->write(address, value, *r);
        FAIL() << std::hex << address << " has no handler";
    };
    AmigaMachine* machines[] = {&m(), other.get()};
    for (uint32_t k = 0; k < 2; ++k) {
        AmigaMachine& machine = *machines[k];
        write(machine.cpu->wordWriteList, 0xDFF0A8, 10 + k);  // AUD0VOL
        write(machine.cpu->byteWriteList, 0xBFD400, 20 + k);  // CIA-B TALO
        write(machine.cpu->byteWriteList, 0xBFE401, 30 + k);  // CIA-A TALO
    }
    for (uint32_t k = 0; k < 2; ++k) {
        EXPECT_EQ(machines[k]->customChips->paulaChannels[0].volume, 10 + k);
        EXPECT_EQ(machines[k]->ciaB->TALO, 20 + k);
        EXPECT_EQ(machines[k]->ciaA->TALO, 30 + k);
    }
}

} // namespace
} // namespace varno
