// The interrupt model: requests, masking, when interrupts are taken during and
// between runs, STOP, and cycle accounting around them.
#include <gtest/gtest.h>

#include <climits>

#include "test_machine.h"

namespace varno::test {
namespace {

constexpr uint16_t NOP = 0x4E71;
constexpr uint32_t kCode = 0x1000;
constexpr uint32_t kHandler = 0x3000;

class InterruptTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (uint32_t a = kCode; a < kCode + 0x100; a += 2) m.put16(a, NOP);
        for (uint32_t a = kHandler; a < kHandler + 0x800; a += 2) m.put16(a, NOP);
        for (uint32_t n = 24; n < 32; ++n) m.put32(4 * n, kHandler);
    }
    TestMachine m;
};

TEST_F(InterruptTest, BudgetOfZeroOrOneRunsExactlyOneInstruction) {
    for (int32_t budget : {0, 1}) {
        m.start(kCode);
        EXPECT_EQ(cpu::execute(m.processor, budget), RUN_BUDGET_SPENT);
        EXPECT_EQ(m.cpuState.pc, kCode + 2) << "budget " << budget;
        EXPECT_EQ(cpu::takeCycles(m.processor), 4u);
    }
}

TEST_F(InterruptTest, ExtremeBudgetsAreSafe) {
    m.code(kCode, {0x7001, 0x4EF9, 0x00F8, 0x0000});  // MOVEQ #1,D0 ; JMP $F80000
    m.start(kCode);
    EXPECT_EQ(cpu::execute(m.processor, INT32_MAX), RUN_BUDGET_SPENT);
    EXPECT_EQ(m.cpuState.pc, 0xF80000u);
    EXPECT_EQ(cpu::takeCycles(m.processor), 4u + 12u);
    m.start(kCode);
    EXPECT_EQ(cpu::execute(m.processor, INT32_MIN), RUN_BUDGET_SPENT);
    EXPECT_EQ(m.cpuState.pc, kCode + 2) << "a negative budget runs one instruction like 0";
    EXPECT_EQ(cpu::takeCycles(m.processor), 4u);
    m.cpuState.pendingInterrupts = PENDING_STOPPED;
    cpu::execute(m.processor, -5);
    EXPECT_EQ(cpu::takeCycles(m.processor), 0u);
}

TEST_F(InterruptTest, RunOvershootsByAtMostOneInstruction) {
    m.start(kCode);
    cpu::execute(m.processor, 10);  // NOPs of 4: 4, 8, 12 -> the third one crosses the budget
    EXPECT_EQ(m.cpuState.pc, kCode + 6);
    EXPECT_EQ(cpu::takeCycles(m.processor), 12u);
}

TEST_F(InterruptTest, LevelSevenIsTakenThroughMaskSevenAndLowerLevelsWait) {
    m.put32(4 * 31, kHandler + 0x40);
    m.start(kCode, 0x2700);
    ASSERT_EQ(cpu::raiseInterrupt(m.processor, 6, -1), 0u);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.pc, kCode + 2) << "level 6 must wait behind mask 7";
    EXPECT_EQ(m.cpuState.pendingInterrupts, 1 << 6);
    ASSERT_EQ(cpu::raiseInterrupt(m.processor, 7, -1), 0u);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.pc, kHandler + 0x42);  // took vector 31, ran one instruction there
    EXPECT_EQ(m.cpuState.pendingInterrupts, 1 << 6);
    EXPECT_EQ(m.cpuState.sr & SR_MASK, 0x0700);
}

TEST_F(InterruptTest, RaisingARequestedLevelAgainKeepsItsVector) {
    m.start(kCode, 0x2700);
    EXPECT_EQ(cpu::raiseInterrupt(m.processor, 3, 64), 0u);
    EXPECT_EQ(cpu::raiseInterrupt(m.processor, 3, 65), 1u);
    EXPECT_EQ(m.cpuState.interruptVectors[2], 64);
}

TEST_F(InterruptTest, BadArgumentsAreRefused) {
    struct Case { int32_t level, vector; };
    for (Case c : {Case{0, -1}, Case{8, -1}, Case{-1, 30}, Case{1, -3}, Case{1, 256}}) {
        EXPECT_EQ(cpu::raiseInterrupt(m.processor, c.level, c.vector), 2u) << c.level << "," << c.vector;
    }
    EXPECT_EQ(m.cpuState.pendingInterrupts, 0);
}

TEST_F(InterruptTest, VectorArgumentsSelectAutovectorSpuriousOrGiven) {
    m.start(kCode, 0x2700);
    cpu::raiseInterrupt(m.processor, 2, -1);
    cpu::raiseInterrupt(m.processor, 3, -2);
    cpu::raiseInterrupt(m.processor, 4, 200);
    EXPECT_EQ(m.cpuState.interruptVectors[1], 26);
    EXPECT_EQ(m.cpuState.interruptVectors[2], 24);
    EXPECT_EQ(m.cpuState.interruptVectors[3], 200);
}

TEST_F(InterruptTest, TakenInterruptStacksFrameAndRaisesMask) {
    m.start(kCode, 0x2315, 0x8000);  // X and Z and C set, mask 3
    m.cpuState.pendingInterrupts = 0;
    cpu::raiseInterrupt(m.processor, 5, -1);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.a[7], 0x8000u - 6);
    EXPECT_EQ(m.get16(0x8000 - 6), 0x2315);          // SR before
    EXPECT_EQ(m.get32(0x8000 - 4), kCode);           // the instruction that was next
    EXPECT_EQ(m.cpuState.sr, 0x2515);
    EXPECT_EQ(m.cpuState.pc, kHandler + 2);
    EXPECT_EQ(cpu::takeCycles(m.processor), 44u + 4u);
    EXPECT_EQ(m.cpuState.pendingInterrupts, 0) << "a request is consumed when taken";
}

TEST_F(InterruptTest, InterruptFromUserModeSwitchesToSupervisorStack) {
    m.start(kCode, 0x0000, 0x8000, 0x6000);
    cpu::raiseInterrupt(m.processor, 1, -1);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.a[7], 0x8000u - 6);
    EXPECT_EQ(m.cpuState.otherStackPointer, 0x6000u);
    EXPECT_EQ(m.cpuState.sr & (SR_S | SR_MASK), SR_S | 0x100);
}

TEST_F(InterruptTest, InterruptRaisedByBusHandlerIsTakenAfterTheCurrentInstruction) {
    m.code(kCode, {0x33C0, 0x00DF, 0xF09A, NOP});  // MOVE.W D0,$DFF09A ; NOP
    m.start(kCode, 0x2000);
    TestMachine::onAccess = [this](const Access&) { cpu::raiseInterrupt(m.processor, 4, -1); };
    EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_BUDGET_SPENT);
    EXPECT_EQ(m.get32(0x8000 - 4), kCode + 6) << "stacked PC is the NOP after the MOVE";
    // The run went on after the interrupt with its parked cycles: MOVE 16 + 44, then NOPs.
    EXPECT_EQ(cpu::takeCycles(m.processor), 1000u);
    EXPECT_EQ(m.cpuState.pc, kHandler + 2 * (1000 - 16 - 44) / 4);
}

TEST_F(InterruptTest, ServiceInterruptsTakesOneOutsideARun) {
    m.start(kCode, 0x2000);
    cpu::raiseInterrupt(m.processor, 2, -1);
    cpu::raiseInterrupt(m.processor, 3, -1);
    cpu::serviceInterrupts(m.processor);
    EXPECT_EQ(m.cpuState.pc, kHandler);
    EXPECT_EQ(m.cpuState.sr & SR_MASK, 0x300);
    EXPECT_EQ(m.cpuState.pendingInterrupts, 1 << 2);
    EXPECT_EQ(cpu::readCycles(m.processor), 44u);
    cpu::serviceInterrupts(m.processor);  // level 2 is not above mask 3
    EXPECT_EQ(m.cpuState.pendingInterrupts, 1 << 2);
    EXPECT_EQ(cpu::readCycles(m.processor), 44u);
}

TEST_F(InterruptTest, ServiceInterruptsDoesNothingDuringARun) {
    m.code(kCode, {0x33C0, 0x00DF, 0xF09A});  // MOVE.W D0,$DFF09A
    m.start(kCode, 0x2000);
    cpu::raiseInterrupt(m.processor, 2, -1);
    m.cpuState.sr = 0x2700;
    uint32_t pcInside = 0;
    TestMachine::onAccess = [&](const Access&) {
        cpu::serviceInterrupts(m.processor);
        pcInside = m.cpuState.pc;
    };
    cpu::execute(m.processor, 1);
    EXPECT_EQ(pcInside, kCode);
    EXPECT_EQ(m.cpuState.pendingInterrupts, 1 << 2);
}

TEST_F(InterruptTest, NestedRunFromABusHandlerIsRefused) {
    m.code(kCode, {0x33C0, 0x00DF, 0xF000, NOP});  // MOVE.W D0,$DFF000
    m.start(kCode);
    uint32_t nested = 0;
    TestMachine::onAccess = [&](const Access&) { nested = cpu::execute(m.processor, 100); };
    cpu::execute(m.processor, 1);
    EXPECT_EQ(nested, RUN_HALTED);
    EXPECT_EQ(m.cpuState.pc, kCode + 6);
    EXPECT_EQ(cpu::takeCycles(m.processor), 16u);
}

TEST_F(InterruptTest, ReadCyclesInsideFirstInstructionCountsOnlyEarlierWork) {
    m.code(kCode, {NOP, 0x3039, 0x00DF, 0xF000});  // NOP ; MOVE.W $DFF000,D0
    m.start(kCode, 0x2700);
    cpu::execute(m.processor, 1);  // the NOP: 4 cycles
    uint32_t seen = 0;
    TestMachine::onAccess = [&](const Access&) { seen = cpu::readCycles(m.processor); };
    cpu::execute(m.processor, 1);
    EXPECT_EQ(seen, 4u);
    EXPECT_EQ(cpu::readCycles(m.processor), 4u + 16u);
}

TEST_F(InterruptTest, TakeCyclesInsideAHandlerKeepsTheRunAccountingExact) {
    m.code(kCode, {NOP, 0x3039, 0x00DF, 0xF000, NOP});
    m.start(kCode, 0x2700);
    uint32_t taken = 0;
    TestMachine::onAccess = [&](const Access&) { taken = cpu::takeCycles(m.processor); };
    cpu::execute(m.processor, 21);  // NOP 4, MOVE 16, NOP 4
    EXPECT_EQ(taken, 4u);
    EXPECT_EQ(cpu::takeCycles(m.processor), 16u + 4u);
}

TEST_F(InterruptTest, StoppedRunIdlesThroughItsBudget) {
    m.start(kCode);
    m.cpuState.pendingInterrupts = PENDING_STOPPED;
    EXPECT_EQ(cpu::execute(m.processor, 500), RUN_BUDGET_SPENT);
    EXPECT_EQ(m.cpuState.pc, kCode);
    EXPECT_EQ(cpu::takeCycles(m.processor), 500u);
}

TEST_F(InterruptTest, HaltedRunReturnsHaltedAndCountsNothing) {
    m.start(kCode + 1);
    m.cpuState.pendingInterrupts = PENDING_STOPPED;
    EXPECT_EQ(cpu::execute(m.processor, 500), RUN_HALTED);
    EXPECT_EQ(cpu::takeCycles(m.processor), 0u);
    EXPECT_EQ(cpu::raiseInterrupt(m.processor, 7, -1), 0u);
    EXPECT_EQ(cpu::execute(m.processor, 500), RUN_HALTED) << "only reset leaves the halted state";
    cpu::serviceInterrupts(m.processor);
    EXPECT_EQ(m.cpuState.pc, kCode + 1);
    EXPECT_EQ(m.cpuState.pendingInterrupts, PENDING_STOPPED | 1 << 7);
}

TEST_F(InterruptTest, StopWithRequestPendingTakesItInTheSameRun) {
    m.code(kCode, {0x4E72, 0x2000, NOP});  // STOP #$2000
    m.start(kCode, 0x2700);
    cpu::raiseInterrupt(m.processor, 4, -1);
    cpu::execute(m.processor, 1000);
    EXPECT_EQ(m.get32(0x8000 - 4), kCode + 4) << "stacked PC follows the STOP";
    EXPECT_EQ(m.cpuState.pendingInterrupts & PENDING_STOPPED, 0);
}

TEST_F(InterruptTest, StopWaitsUntilAnInterruptIsRaised) {
    m.code(kCode, {0x4E72, 0x2000, NOP});
    m.start(kCode, 0x2700);
    cpu::execute(m.processor, 1000);
    EXPECT_EQ(m.cpuState.pendingInterrupts, PENDING_STOPPED);
    EXPECT_EQ(m.cpuState.sr, 0x2000);
    EXPECT_EQ(cpu::takeCycles(m.processor), 1000u) << "STOP forfeits the rest of the budget";
    EXPECT_EQ(cpu::execute(m.processor, 300), RUN_BUDGET_SPENT);
    EXPECT_EQ(cpu::takeCycles(m.processor), 300u);
    cpu::raiseInterrupt(m.processor, 1, -1);
    EXPECT_EQ(m.cpuState.pendingInterrupts, 1 << 1);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.pc, kHandler + 2);
    EXPECT_EQ(m.get32(m.cpuState.a[7] + 2), kCode + 4);
}

TEST_F(InterruptTest, LoweringTheMaskTakesAPendingInterruptBeforeTheNextInstruction) {
    struct Case { const char* name; std::vector<uint16_t> code; uint32_t next; };
    const Case cases[] = {
        {"MOVE to SR", {0x46FC, 0x2000}, kCode + 4},
        {"ANDI to SR", {0x027C, 0xF8FF}, kCode + 4},
        {"EORI to SR", {0x0A7C, 0x0700}, kCode + 4},
    };
    for (const Case& c : cases) {
        TestMachine fresh;
        for (uint32_t a = kCode; a < kCode + 0x20; a += 2) fresh.put16(a, NOP);
        for (uint32_t n = 24; n < 32; ++n) fresh.put32(4 * n, kHandler);
        fresh.put16(kHandler, NOP);
        uint32_t a = kCode;
        for (uint16_t w : c.code) {
            fresh.put16(a, w);
            a += 2;
        }
        fresh.start(kCode, 0x2700);
        cpu::raiseInterrupt(fresh.processor, 3, -1);
        cpu::execute(fresh.processor, 1);
        EXPECT_EQ(fresh.cpuState.pc, kHandler) << c.name;
        EXPECT_EQ(fresh.get32(0x8000 - 4), c.next) << c.name;
    }
}

TEST_F(InterruptTest, RteRestoringALowerMaskTakesThePendingInterruptAtOnce) {
    m.code(kCode, {0x4E73});  // RTE
    m.put16(0x7FFA, 0x2000);  // frame: SR, PC
    m.put32(0x7FFC, kCode + 0x40);
    m.start(kCode, 0x2700, 0x7FFA);
    cpu::raiseInterrupt(m.processor, 2, -1);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.pc, kHandler);
    EXPECT_EQ(m.get32(0x8000 - 4), kCode + 0x40);
    EXPECT_EQ(cpu::takeCycles(m.processor), 20u + 44u);
}

TEST_F(InterruptTest, InterruptVectorOutsideMemoryEndsTheRunAsFetchFault) {
    m.put32(4 * 25, 0xF80064);
    m.start(kCode, 0x2000);
    cpu::raiseInterrupt(m.processor, 1, -1);
    EXPECT_EQ(cpu::execute(m.processor, 100), RUN_FETCH_FAULT);
    EXPECT_EQ(m.cpuState.pc, 0xF80064u);
}

} // namespace
} // namespace varno::test
