// Audio interrupts reaching the player's servers: a direct call of the server
// while no emulated code runs, a CPU interrupt through vector 28 while code
// runs, and the guard that keeps a running server from being re-entered.
#include <gtest/gtest.h>

#include <vector>

#include "amigaos/system.h"
#include "machine/cpu_context.h"
#include "hardware/custom_chips.h"
#include "machine/machine_fixture.h"
#include "amigaos/deli_base.h"

namespace varno {
namespace {

constexpr uint16_t RTS = 0x4E75;
constexpr uint16_t ADDQ_L_1_A1_IND = 0x5291;     // addq.l #1,(a1): counts the calls
constexpr uint16_t MOVE_W_IMM_D16_A0 = 0x317C;   // move.w #imm,d16(a0)
constexpr uint16_t MOVE_W_IMM_ABS_L = 0x33FC;    // move.w #imm,xxx.l
constexpr uint16_t MOVE_W_IMM_SR = 0x46FC;       // move.w #imm,sr
constexpr uint16_t INTREQ = 0x9C;

class AudioInterrupts : public test::MachineTest {
protected:
    CustomChips& chips() { return *m().customChips; }

    // An Interrupt structure whose server counts its calls in a long of main
    // memory (is_Data) and then runs `then`; returns the counter's address.
    uint32_t installServer(int channel, const std::vector<uint16_t>& then, uint8_t priority = 0) {
        const uint32_t counter = main().allocate(4);
        main().writeLong(counter, 0);
        std::vector<uint16_t> code = {ADDQ_L_1_A1_IND};
        code.insert(code.end(), then.begin(), then.end());
        code.push_back(RTS);
        const uint32_t server = main().allocate(uint32_t(2 * code.size()));
        for (size_t i = 0; i < code.size(); ++i) main().writeWord(server + 2 * uint32_t(i), code[i]);
        const uint32_t structure = main().allocate(22);
        main().fill(structure, 0, 22);
        main().writeByte(structure + 9, priority);
        main().writeLong(structure + 14, counter);
        main().writeLong(structure + 18, server);
        setSlot(channel, structure);
        return counter;
    }
    void setSlot(int channel, uint32_t structure) {
        low().writeLong(m().system->deliBase->base + kDeliAudioVectors + 4 * uint32_t(channel), structure);
    }
    uint32_t calls(uint32_t counter) { return main().readLong(counter); }
};

// The server acknowledges its own request, as a well-behaved one does.
std::vector<uint16_t> acknowledge(uint16_t bits) { return {MOVE_W_IMM_D16_A0, bits, INTREQ}; }

TEST_F(AudioInterrupts, DirectCallWhenNoCodeRuns) {
    const uint32_t counter = installServer(0, acknowledge(0x0080));
    writeIntena(chips(), 0xC080);
    EXPECT_EQ(calls(counter), 0u);
    writeIntreq(chips(), 0x8080);
    EXPECT_EQ(calls(counter), 1u);           // ran before the write returned
    EXPECT_EQ(chips().intreq & 0x0080, 0);   // and acknowledged
    EXPECT_EQ(chips().paulaChannels[0].intPending, 0u);
    EXPECT_EQ(low().readLong(0x158), 0x0080u);  // intena & intreq at delivery
    EXPECT_EQ(m().cpu->inInterruptCall, 0);
    EXPECT_EQ(m().cpu->busy, 0);
    EXPECT_TRUE(errors.empty());
}

TEST_F(AudioInterrupts, NothingDeliveredWithoutEnableOrServer) {
    const uint32_t counter = installServer(1, acknowledge(0x0100));
    writeIntreq(chips(), 0x8100);              // requested but not enabled
    EXPECT_EQ(calls(counter), 0u);
    EXPECT_EQ(chips().paulaChannels[1].intPending, 0u);
    writeIntena(chips(), 0xC100);              // enabling delivers the standing request
    EXPECT_EQ(calls(counter), 1u);

    // An empty slot, a slot outside memory, a structure whose code is 0: the
    // request stays pending and nothing runs.
    writeIntena(chips(), 0xC200);
    for (uint32_t structure : {0u, 0x00FFFFF0u, 0x00001000u}) {
        setSlot(2, structure);
        writeIntreq(chips(), 0x8200);
        EXPECT_EQ(chips().paulaChannels[2].intPending, 0x0200u) << structure;
        writeIntreq(chips(), 0x0200);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(AudioInterrupts, ChannelKeepsPlayingWhileItsServerAcknowledges) {
    const uint32_t counter = installServer(0, acknowledge(0x0080));
    main().writeWord(0x30000, 0x1010);
    main().writeWord(0x30002, 0x2020);
    PaulaChannel& ch = chips().paulaChannels[0];
    writeAudLch(ch, 0x0003);
    writeAudLcl(ch, 0x0000);
    writeAudLen(ch, 2);
    writeAudPer(ch, 5000);   // 14 samples per tick
    writeAudVol(ch, 64);
    writeIntena(chips(), 0xC080);
    writeDmacon(chips(), 0x8201);
    EXPECT_EQ(calls(counter), 1u); // the start's request
    float out[16];
    ASSERT_EQ(renderChannelTick(chips(), 0, out), 14);
    // Length 2: block ends at steps 1, 5, 9 and 13 of the tick.
    EXPECT_EQ(calls(counter), 5u);
    // Still playing at the end of the tick: ..., A + 2, A, A + 2, A.
    EXPECT_EQ(out[10], 0x20 / 256.0f);
    EXPECT_EQ(out[11], 0x20 / 256.0f);
    EXPECT_EQ(out[12], 0x10 / 256.0f);
    EXPECT_EQ(out[13], 0x10 / 256.0f);
    EXPECT_EQ(ch.state == kPaulaLowByte || ch.state == kPaulaHighByte, true);
}

TEST_F(AudioInterrupts, ServerThatNeverAcknowledgesSilencesTheChannel) {
    const uint32_t counter = installServer(0, {});
    main().writeWord(0x30000, 0x1010);
    main().writeWord(0x30002, 0x2020);
    PaulaChannel& ch = chips().paulaChannels[0];
    ch.location = 0x30000;
    writeAudLen(ch, 2);
    writeAudPer(ch, 5000);
    writeAudVol(ch, 64);
    writeIntena(chips(), 0xC080);
    writeDmacon(chips(), 0x8201);
    float out[16];
    renderChannelTick(chips(), 0, out);
    EXPECT_EQ(ch.state, kPaulaIdle);
    EXPECT_EQ(out[1], 0x20 / 256.0f);
    EXPECT_EQ(out[2], 0.0f);
    // Served once at the start; at the block end the request was still standing
    // and was delivered again before the channel gave up.
    EXPECT_EQ(calls(counter), 2u);
}

TEST_F(AudioInterrupts, FaultingServerIsReportedOnceThenSkipped) {
    const uint32_t counter = installServer(0, {0x4AFC}); // counts, then ILLEGAL
    writeIntena(chips(), 0xC080);
    writeIntreq(chips(), 0x8080);
    EXPECT_EQ(calls(counter), 1u);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(m().cpu->inInterruptCall, 0);
    for (int i = 0; i < 5; ++i) {
        writeIntreq(chips(), 0x0080);
        writeIntreq(chips(), 0x8080);
    }
    EXPECT_EQ(calls(counter), 1u);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(chips().paulaChannels[0].intPending, 0x0080u); // as with no server at all
    // A reset before the next module forgets the fault.
    resetCustomChips(chips());
    writeIntena(chips(), 0xC080);
    writeIntreq(chips(), 0x8080);
    EXPECT_EQ(calls(counter), 2u);
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(AudioInterrupts, CpuInterruptDuringARun) {
    const uint32_t counter = installServer(0, acknowledge(0x0080));
    writeIntena(chips(), 0xC080);
    // Lower the mask, request channel 0's interrupt from emulated code, return.
    const uint32_t routine = placeCode({MOVE_W_IMM_SR, 0x2000, MOVE_W_IMM_ABS_L, 0x8080, 0x00DF, 0xF09C, RTS});
    EXPECT_EQ(run(routine), RUN_BUDGET_SPENT);
    EXPECT_EQ(calls(counter), 1u);  // taken through vector 28 after the write
    EXPECT_EQ(chips().intreq & 0x0080, 0);
    EXPECT_TRUE(errors.empty());
}

TEST_F(AudioInterrupts, PriorityEightyIsRaisedAtLevelSeven) {
    const uint32_t normal = installServer(0, acknowledge(0x0080));
    writeIntena(chips(), 0xC180);
    // With the mask at 7 a level-5 request waits ...
    const uint32_t request0 = placeCode({MOVE_W_IMM_SR, 0x2700, MOVE_W_IMM_ABS_L, 0x8080, 0x00DF, 0xF09C, RTS});
    EXPECT_EQ(run(request0), RUN_BUDGET_SPENT);
    EXPECT_EQ(calls(normal), 0u);
    EXPECT_EQ(registers().pendingInterrupts & (1 << 5), 1 << 5);
    EXPECT_EQ(registers().interruptVectors[4], 28);
    registers().pendingInterrupts = 0;
    writeIntreq(chips(), 0x0080); // else the shared mailbox would end up holding channel 0's server
    // ... while a server of priority 80 gets level 7, which no mask holds back.
    const uint32_t urgent = installServer(1, acknowledge(0x0100), 80);
    const uint32_t request1 = placeCode({MOVE_W_IMM_SR, 0x2700, MOVE_W_IMM_ABS_L, 0x8100, 0x00DF, 0xF09C, RTS});
    EXPECT_EQ(run(request1), RUN_BUDGET_SPENT);
    EXPECT_EQ(calls(urgent), 1u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(AudioInterrupts, RunningServerIsNotReentered) {
    // Channel 0's server requests channels 1 and 2 while it runs as a direct call.
    const uint32_t first = installServer(0, {MOVE_W_IMM_D16_A0, 0x8300, INTREQ, MOVE_W_IMM_D16_A0, 0x0080, INTREQ});
    const uint32_t second = installServer(1, acknowledge(0x0100));
    const uint32_t third = installServer(2, acknowledge(0x0200));
    writeIntena(chips(), 0xC380);
    writeIntreq(chips(), 0x8080);
    EXPECT_EQ(calls(first), 1u);
    // Nothing was delivered from inside the server, not even as a CPU interrupt.
    EXPECT_EQ(registers().pendingInterrupts & 0xFE, 0);
    // The dispatch that ran the server goes on in channel order 1, 3, 0, 2:
    // channel 2 comes after 0 and is served now, channel 1 came before and waits.
    EXPECT_EQ(calls(third), 1u);
    EXPECT_EQ(calls(second), 0u);
    EXPECT_EQ(chips().intreq & 0x0100, 0x0100);
    EXPECT_EQ(chips().paulaChannels[1].intPending, 0x0100u); // seen by the dispatch inside the server
    // The next dispatch serves it.
    writeIntena(chips(), 0xC000);
    EXPECT_EQ(calls(second), 1u);
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace varno
