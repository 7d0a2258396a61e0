// Running 68000 subroutines from native code: normal returns, faults and their
// messages, and the bound on calls that never return.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "amigaos/system.h"
#include "machine/cpu_context.h"
#include "machine/machine_fixture.h"
#include "machine/run_routine.h"
#include "players/player_archive.h"
#include "platform/message_box.h"
#include "players/slave_player.h"

namespace varno {
namespace {

using test::MachineTest;

class RunRoutine : public MachineTest {
protected:
    // The Guru text for an exception frame on a call's stack, built from values
    // worked out for the case at hand.
    static std::string guru(uint32_t vectorOffset, uint32_t stackedPc, uint32_t sp, const uint32_t (&stack)[4],
                            const char* player, const char* routine, uint32_t address) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "Guru Meditation: exception $%02X (vector %i) at $%08X\nSP: %08X, Stack: %08X %08X %08X %08X\n\n"
                      "Emulation of procedure %s/%s ($%08x) cannot contiune.",
                      vectorOffset, int(vectorOffset / 4), stackedPc, sp, stack[0], stack[1], stack[2], stack[3],
                      player, routine, address);
        return text;
    }
    SlavePlayer& addCurrentPlayer(const char* title) {
        m().players = std::make_unique<PlayerArchive>();
        m().players->machine = &m();
        m().players->items[1] = std::make_unique<SlavePlayer>();
        m().players->count = 2;
        song().playerIndex = 1;
        SlavePlayer& p = *m().players->items[1];
        p.machine = &m();
        std::snprintf(p.formatTitle, sizeof p.formatTitle, "%s", title);
        return p;
    }
};

TEST_F(RunRoutine, ARunWaitsOnlyForItsOwnMachine) {
    // Each machine has its own processor: a run waits while its own machine is busy
    // on another thread, never for a second machine (the length scan's, say).
    const uint32_t code = placeCode({0x7005, 0x4E75}); // MOVEQ #5,D0; RTS
    const auto other = createMachine(test::fakeHost(), "/plugins/");
    ASSERT_TRUE(other && other->cpu);
    const uint32_t otherCode = other->mainMemory->allocate(4);
    other->mainMemory->writeWord(otherCode, 0x7007);  // MOVEQ #7,D0
    other->mainMemory->writeWord(otherCode + 2, 0x4E75);  // RTS
    for (const bool sameMachine : {true, false}) {
        std::atomic<bool> done{false};
        uint32_t d0 = 0;
        m().cpu->runLock.lock();
        std::thread caller([&] {
            CpuContext& cpu = sameMachine ? *m().cpu : *other->cpu;
            cpu.processor.cpuState.pc = sameMachine ? code : otherCode;
            runRoutine(cpu, &d0, nullptr);
            done = true;
        });
        if (sameMachine) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            EXPECT_FALSE(done) << "ran while its machine was busy";
        } else {
            while (!done) std::this_thread::yield();  // would hang if it waited for the lock held here
        }
        m().cpu->runLock.unlock();
        caller.join();
        EXPECT_EQ(d0, sameMachine ? 5u : 7u);
    }
}

TEST_F(RunRoutine, ReturnsThroughTheReturnStub) {
    const uint32_t code = placeCode({0x7005, 0x7206, 0x4E75});  // MOVEQ #5,D0; MOVEQ #6,D1; RTS
    uint32_t d0 = 0, d1 = 0;
    registers().pc = code;
    EXPECT_EQ(runRoutine(*m().cpu, &d0, &d1), RUN_BUDGET_SPENT);
    EXPECT_EQ(d0, 5u);
    EXPECT_EQ(d1, 6u);
    EXPECT_EQ(registers().a[7], 0x1FFE0u);
    EXPECT_EQ(registers().pc, 0xF80000u);
    EXPECT_EQ(m().cpu->busy, 0);
    EXPECT_TRUE(errors.empty());

    // A second call on the same machine works the same way.
    EXPECT_EQ(run(placeCode({0x4E75})), RUN_BUDGET_SPENT);
    EXPECT_EQ(registers().a[7], 0x1FFE0u);
}

TEST_F(RunRoutine, ExceptionsEndTheCallWithTheGuruText) {
    struct Row {
        const char* what;
        std::initializer_list<uint16_t> code;
        uint32_t vectorOffset;
        uint32_t stackedPcOffset;  // from the routine's start
    };
    const Row rows[] = {
        {"illegal instruction", {0x7009, 0x4AFC}, 0x10, 2},          // stacked PC: the instruction itself
        {"division by zero", {0x7009, 0x7200, 0x80C1, 0x4E75}, 0x14, 6},  // the next instruction
        {"TRAP #0", {0x7009, 0x4E40}, 0x80, 4},
        {"line A", {0x7009, 0xA123}, 0x28, 2},
        {"line F", {0x7009, 0xF123}, 0x2C, 2},
        {"TRAPV with V set", {0x7009, 0x44FC, 0x0002, 0x4E76}, 0x1C, 8},  // MOVE #2,CCR; TRAPV
        {"CHK out of bounds", {0x7009, 0x7205, 0x4181}, 0x18, 6},         // CHK D1,D0 with D0 = 9 > 5
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        errors.clear();
        const uint32_t code = placeCode(r.code);
        uint32_t d0 = 0;
        registers().pc = code;
        const uint32_t result = runRoutine(*m().cpu, &d0, nullptr);
        EXPECT_NE(result, RUN_BUDGET_SPENT);
        EXPECT_EQ(d0, 9u) << "D0 reaches the caller after a fault";
        EXPECT_EQ(registers().pc, 0xF80000 + r.vectorOffset);
        // Frame at 0x1FFDA: SR (supervisor, mask 7), then the stacked PC; above
        // it the return address 0xC0 stored at the stack top.
        const uint32_t stackedPc = code + r.stackedPcOffset;
        const uint16_t sr = low().readWord(0x1FFDA);
        EXPECT_EQ(sr & 0xFF00, 0x2700);
        const uint32_t stack[4] = {uint32_t(sr) << 16 | stackedPc >> 16, (stackedPc & 0xFFFF) << 16, 0x00C00000, 0};
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], guru(r.vectorOffset, stackedPc, 0x1FFDA, stack, "", "", code));
        EXPECT_EQ(registers().a[7], 0x1FFDA - 4) << "lowered by 4 like after a return";
        EXPECT_EQ(m().cpu->busy, 0);
    }
}

TEST_F(RunRoutine, GuruTextNamesThePlayersProcedure) {
    SlavePlayer& player = addCurrentPlayer("Test Format");
    const uint32_t code = placeCode({0x4AFC});
    uint32_t d0 = 0xFFFF;
    EXPECT_NE(callEntry(player, "Check2", code, &d0, nullptr), RUN_BUDGET_SPENT);
    ASSERT_EQ(errors.size(), 1u);
    char tail[128];
    std::snprintf(tail, sizeof tail, "Emulation of procedure Test Format/Check2 ($%08x) cannot contiune.", code);
    EXPECT_NE(errors[0].find(tail), std::string::npos) << errors[0];
    EXPECT_EQ(errors[0].rfind("Guru Meditation: exception $10 (vector 4) at $", 0), 0u);
    EXPECT_STREQ(m().cpu->faultRoutine, "Check2");
}

TEST_F(RunRoutine, CallEntryHandsThePlayerInterfaceInA5) {
    SlavePlayer& player = addCurrentPlayer("X");
    const uint32_t code = placeCode({0x200D, 0x4E75});  // MOVE.L A5,D0; RTS
    uint32_t d0 = 0;
    EXPECT_EQ(callEntry(player, "InitPlayer", code, &d0, nullptr), RUN_BUDGET_SPENT);
    EXPECT_EQ(d0, 0x1C06u);
}

// The machine words a fault and hands it to the sink its driver installed; the
// process's error display is the driver's business. Without a sink the text goes
// to standard error.
TEST_F(RunRoutine, FaultsGoToTheMachinesOwnSink) {
    std::vector<std::string> shown;
    const ErrorSink previous =
        setErrorSink([&](const std::string&, const std::string& text) { shown.push_back(text); });
    const uint32_t code = placeCode({0x4EF9, 0x0070, 0x0000});
    EXPECT_EQ(run(code), RUN_FETCH_FAULT);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Emulated CPU went into the weeds. (PC = 0x00700000)");

    m().faultSink = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(run(code), RUN_FETCH_FAULT);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Emulated CPU went into the weeds. (PC = 0x00700000)\n");
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(shown.empty());
    setErrorSink(previous);
}

TEST_F(RunRoutine, JumpOutsideMemoryGoesIntoTheWeeds) {
    struct Row {
        uint32_t target;
    };
    for (uint32_t target : {0x700000u, 0xDFF000u, 0xF80104u, 0xF7FFFEu}) {
        SCOPED_TRACE(target);
        errors.clear();
        const uint32_t code = placeCode({0x4EF9, uint16_t(target >> 16), uint16_t(target)});
        EXPECT_EQ(run(code), RUN_FETCH_FAULT);
        char text[64];
        std::snprintf(text, sizeof text, "Emulated CPU went into the weeds. (PC = 0x%08x)", target);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], text);
    }
}

TEST_F(RunRoutine, ResetInstructionEndsTheCallAsAFault) {
    const uint32_t code = placeCode({0x4E70, 0x4E75});
    EXPECT_NE(run(code), RUN_BUDGET_SPENT);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Guru Meditation: exception", 0), 0u);
}

TEST_F(RunRoutine, EndlessLoopIsStoppedByTheCycleBound) {
    const uint32_t code = placeCode({0x60FE});  // BRA.S *
    nameFaultProcedure(*m().cpu, "Looping", "Interrupt");  // as the frame driver names its tick
    const uint32_t limit = 100000;
    EXPECT_EQ(run(code, limit), kRunTimedOut);
    ASSERT_EQ(errors.size(), 1u);
    char tail[128];
    std::snprintf(tail, sizeof tail, "Emulation of procedure Looping/Interrupt ($%08x) cannot continue.", code);
    EXPECT_NE(errors[0].find(tail), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("did not return"), std::string::npos);
    EXPECT_EQ(m().cpu->busy, 0);

    // The machine stays usable.
    errors.clear();
    EXPECT_EQ(run(placeCode({0x4E75})), RUN_BUDGET_SPENT);
    EXPECT_TRUE(errors.empty());
}

TEST_F(RunRoutine, StopWithNothingToWakeItEndsAtOnce) {
    const uint32_t code = placeCode({0x4E72, 0x2000});  // STOP #$2000
    EXPECT_EQ(run(code), kRunTimedOut);  // the full minute-long bound would take seconds
    EXPECT_EQ(errors.size(), 1u);
    m().reset();
    EXPECT_EQ(run(placeCode({0x4E75})), RUN_BUDGET_SPENT) << "reset wakes the processor";
}

} // namespace
} // namespace varno
