// Exception entry and frames, privilege violations, trace, calls that end in the
// unmapped trap window, RESET and the processor reset.
#include <gtest/gtest.h>

#include <vector>

#include "test_machine.h"

namespace varno::test {
namespace {

constexpr uint16_t NOP = 0x4E71;
constexpr uint32_t kCode = 0x1000;

void load(TestMachine& m, uint32_t address, const std::vector<uint16_t>& words) {
    for (uint16_t w : words) {
        m.put16(address, w);
        address += 2;
    }
}

struct ExceptionCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t d0, d1;
    uint16_t sr;
    uint32_t vector;
    uint32_t stackedPcOffset;  // from the instruction's address
    uint32_t cycles;
};

TEST(ExceptionTest, EachSourceStacksItsFrameAndEndsTheCallInTheTrapWindow) {
    const ExceptionCase cases[] = {
        {"DIVU.W D1,D0 by zero", {0x80C1}, 100, 0, 0x2700, 5, 2, 38},
        {"DIVS.W #0,D0", {0x81FC, 0x0000}, 100, 0, 0x2700, 5, 4, 42},
        {"ILLEGAL", {0x4AFC}, 0, 0, 0x2700, 4, 0, 34},
        {"TRAP #0", {0x4E40}, 0, 0, 0x2700, 32, 2, 34},
        {"TRAP #15", {0x4E4F}, 0, 0, 0x2700, 47, 2, 34},
        {"line A", {0xA123}, 0, 0, 0x2700, 10, 0, 34},
        {"line F", {0xF123}, 0, 0, 0x2700, 11, 0, 34},
        {"CHK D1,D0 below zero", {0x4181}, 0xFFFF, 10, 0x2700, 6, 2, 40},
        {"CHK D1,D0 above bound", {0x4181}, 11, 10, 0x2700, 6, 2, 40},
        {"TRAPV with V set", {0x4E76}, 0, 0, 0x2702, 7, 2, 38},
        {"ADD.B A3,D0", {0xD00B}, 0, 0, 0x2700, 4, 0, 34},
        {"MOVE CCR,D0 (68010)", {0x42C0}, 0, 0, 0x2700, 4, 0, 34},
        {"RTD (68010)", {0x4E74, 0x0000}, 0, 0, 0x2700, 4, 0, 34},
    };
    for (const auto& c : cases) {
        TestMachine m;
        load(m, kCode, c.code);
        m.start(kCode, c.sr, 0x8000);
        m.cpuState.d[0] = c.d0;
        m.cpuState.d[1] = c.d1;
        EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_BUDGET_SPENT) << c.name;
        uint32_t expectedPc = TestMachine::kTrapBase + 4 * c.vector;
        EXPECT_EQ(m.cpuState.pc, expectedPc) << c.name;
        EXPECT_EQ(cpu::takeCycles(m.processor), c.cycles) << c.name;
        EXPECT_EQ(m.cpuState.a[7], 0x8000u - 6) << c.name;
        EXPECT_EQ(m.get16(m.cpuState.a[7]) & 0xFF00, c.sr & 0xFF00) << c.name;
        EXPECT_EQ(m.get32(m.cpuState.a[7] + 2), kCode + c.stackedPcOffset) << c.name;
        EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_FETCH_FAULT) << c.name;
        EXPECT_EQ(cpu::takeCycles(m.processor), 0u) << c.name;
    }
}

TEST(ExceptionTest, NoExceptionWhenTheConditionIsNotMet) {
    struct Case { const char* name; std::vector<uint16_t> code; uint32_t d0, d1; uint16_t sr; uint32_t cycles; };
    const Case cases[] = {
        {"TRAPV with V clear", {0x4E76}, 0, 0, 0x2700, 4},
        {"CHK D1,D0 in bounds", {0x4181}, 10, 10, 0x2700, 10},
        {"CHK D1,D0 at zero", {0x4181}, 0, 10, 0x2700, 10},
    };
    for (const auto& c : cases) {
        TestMachine m;
        load(m, kCode, c.code);
        m.start(kCode, c.sr);
        m.cpuState.d[0] = c.d0;
        m.cpuState.d[1] = c.d1;
        EXPECT_EQ(m.step(), c.cycles) << c.name;
        EXPECT_EQ(m.cpuState.pc, kCode + 2) << c.name;
    }
}

TEST(ExceptionTest, PrivilegedInstructionsInUserModeRaiseVectorEightOnTheSupervisorStack) {
    const std::pair<const char*, std::vector<uint16_t>> cases[] = {
        {"MOVE #0,SR", {0x46FC, 0x0000}}, {"ANDI #,SR", {0x027C, 0xFFFF}},
        {"ORI #,SR", {0x007C, 0x0000}},   {"EORI #,SR", {0x0A7C, 0x0000}},
        {"MOVE A0,USP", {0x4E60}},        {"MOVE USP,A0", {0x4E68}},
        {"RESET", {0x4E70}},              {"STOP", {0x4E72, 0x2000}},
        {"RTE", {0x4E73}},
    };
    for (const auto& [name, code] : cases) {
        TestMachine m;
        load(m, kCode, code);
        m.start(kCode, 0x0000, 0x8000, 0x6000);
        m.cpuState.a[0] = 0x1234;
        cpu::execute(m.processor, 1);
        EXPECT_EQ(m.cpuState.pc, TestMachine::kTrapBase + 32) << name;
        EXPECT_EQ(m.cpuState.sr & SR_S, SR_S) << name;
        EXPECT_EQ(m.cpuState.a[7], 0x8000u - 6) << name;
        EXPECT_EQ(m.cpuState.otherStackPointer, 0x6000u) << name;
        EXPECT_EQ(m.get32(0x8000 - 4), kCode) << name << ": stacked PC is the instruction itself";
        EXPECT_EQ(m.get16(0x8000 - 6), 0x0000) << name;
        EXPECT_EQ(m.cpuState.a[0], 0x1234u) << name;
    }
}

TEST(ExceptionTest, MoveFromSrIsAllowedInUserMode) {
    TestMachine m;
    load(m, kCode, {0x40C0});  // MOVE SR,D0
    m.start(kCode, 0x0013);
    EXPECT_EQ(m.step(), 6u);
    EXPECT_EQ(m.cpuState.d[0] & 0xFFFF, 0x0013u);
}

TEST(ExceptionTest, ExceptionEntryClearsTraceAndKeepsMask) {
    TestMachine m;
    load(m, kCode, {0x4E41});  // TRAP #1
    m.start(kCode, 0x0000 | SR_T | 0x0400 | 0x1F);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.sr, SR_S | 0x0400 | 0x1F);
    EXPECT_EQ(m.get16(m.cpuState.a[7]), SR_T | 0x0400 | 0x1F);
}

TEST(ExceptionTest, TraceTakesVectorNineAfterEachInstruction) {
    TestMachine m;
    load(m, kCode, {NOP, NOP});
    m.put32(4 * 9, 0x2000);
    m.put16(0x2000, NOP);
    m.start(kCode, 0x2700 | SR_T);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.get32(0x8000 - 4), kCode + 2) << "stacked PC is the next instruction";
    EXPECT_EQ(m.get16(0x8000 - 6), 0xA700);
    EXPECT_EQ(m.cpuState.sr & SR_T, 0);
    EXPECT_EQ(m.cpuState.pc, 0x2000u) << "a budget of 1 ends with the exception";
    EXPECT_EQ(cpu::takeCycles(m.processor), 4u + 34u);
}

TEST(ExceptionTest, InstructionThatSetsTraceIsNotTracedButTheNextOneIs) {
    TestMachine m;
    load(m, kCode, {0x46FC, 0xA700, NOP, NOP});  // MOVE #$A700,SR
    m.put32(4 * 9, 0x2000);
    m.put16(0x2000, NOP);
    m.start(kCode, 0x2700);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.pc, kCode + 4);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.get32(0x8000 - 4), kCode + 6);
}

TEST(ExceptionTest, JumpOutsideMemoryEndsTheRunThenFaults) {
    TestMachine m;
    load(m, kCode, {0x4EF9, 0x00F8, 0x0000, NOP});  // JMP $F80000
    m.start(kCode);
    EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_BUDGET_SPENT);
    EXPECT_EQ(m.cpuState.pc, 0xF80000u);
    EXPECT_EQ(cpu::takeCycles(m.processor), 12u) << "only executed cycles are counted";
    EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_FETCH_FAULT);
    EXPECT_EQ(m.cpuState.pc, 0xF80000u);
}

TEST(ExceptionTest, RunningOffTheEndOfMemoryIsAFetchFault) {
    TestMachine m;
    m.put16(TestMachine::kRamSize - 2, NOP);
    m.start(TestMachine::kRamSize - 2);
    EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_FETCH_FAULT);
    EXPECT_EQ(m.cpuState.pc, TestMachine::kRamSize);
    EXPECT_EQ(cpu::takeCycles(m.processor), 4u);
}

TEST(ExceptionTest, ReturnFromSubroutineToTheTrapAddressEndsTheCall) {
    TestMachine m;
    load(m, 0xC0, {0x4EF9, 0x00F8, 0x0000});  // the return stub: JMP $F80000
    load(m, kCode, {0x7007, 0x4E75});          // MOVEQ #7,D0 ; RTS
    m.put32(0x7FF0, 0xC0);
    m.start(kCode, 0x2700, 0x7FF0);
    EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_BUDGET_SPENT);
    EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_FETCH_FAULT);
    EXPECT_EQ(m.cpuState.pc, 0xF80000u);
    EXPECT_EQ(m.cpuState.d[0], 7u);
    EXPECT_EQ(m.cpuState.a[7], 0x7FF4u);
}

TEST(ExceptionTest, RteToUserModeRestoresTheUserStack) {
    TestMachine m;
    load(m, kCode, {0x4E73});  // RTE
    m.put16(0x7FFA, 0x0015);
    m.put32(0x7FFC, 0x1800);
    m.put16(0x1800, NOP);
    m.start(kCode, 0x2700, 0x7FFA, 0x6000);
    EXPECT_EQ(m.step(), 20u);
    EXPECT_EQ(m.cpuState.sr, 0x0015);
    EXPECT_EQ(m.cpuState.a[7], 0x6000u);
    EXPECT_EQ(m.cpuState.otherStackPointer, 0x8000u);
    EXPECT_EQ(m.cpuState.pc, 0x1800u);
}

TEST(ExceptionTest, RtrRestoresOnlyTheConditionCodes) {
    TestMachine m;
    load(m, kCode, {0x4E77});  // RTR
    m.put16(0x7FFA, 0xFFFF);
    m.put32(0x7FFC, 0x1800);
    m.start(kCode, 0x2700, 0x7FFA);
    EXPECT_EQ(m.step(), 20u);
    EXPECT_EQ(m.cpuState.sr, 0x271F);
    EXPECT_EQ(m.cpuState.a[7], 0x8000u);
    EXPECT_EQ(m.cpuState.pc, 0x1800u);
}

TEST(ExceptionTest, LibraryCallThroughAWordWriteHandler) {
    TestMachine m;
    // Stub: MOVE.W #-30,$DFF100 ; RTS. Caller: JSR stub ; MOVE.L D0,D1
    load(m, 0x2000, {0x33FC, 0xFFE2, 0x00DF, 0xF100, 0x4E75});
    load(m, kCode, {0x4EB9, 0x0000, 0x2000, 0x2200, NOP});
    m.start(kCode, 0x2000);
    uint32_t lvo = 0;
    TestMachine::onAccess = [&](const Access& a) {
        lvo = a.value;
        m.cpuState.d[0] = 42;  // the native routine's result
    };
    EXPECT_EQ(m.step(), 20u);  // JSR abs.L
    EXPECT_EQ(m.step(), 20u);  // MOVE.W #imm,abs.L
    EXPECT_EQ(lvo, 0xFFE2u);
    EXPECT_EQ(m.cpuState.sr & 0x1F, SR_N) << "flags from the immediate";
    EXPECT_EQ(m.step(), 16u);  // RTS
    EXPECT_EQ(m.cpuState.pc, kCode + 6);
    m.step();
    EXPECT_EQ(m.cpuState.d[1], 42u);
}

TEST(ExceptionTest, ResetInstructionWithoutHandlerEndsTheRunAtItsAddress) {
    TestMachine m;
    load(m, kCode, {NOP, 0x4E70, NOP});
    m.start(kCode | 0x01000000);
    EXPECT_EQ(cpu::execute(m.processor, 1000), kCode + 2);
    EXPECT_EQ(m.cpuState.pc, (kCode + 2) | 0x01000000);
}

TEST(ExceptionTest, ResetInstructionWithHandlerRunsItAndGoesOn) {
    TestMachine m;
    static int calls;
    calls = 0;
    m.cpuState.resetHandler = [](Processor&) { ++calls; };
    load(m, kCode, {0x4E70, NOP});
    m.start(kCode);
    EXPECT_EQ(m.step(), 132u);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(m.cpuState.pc, kCode + 2);
}

TEST(ProcessorResetTest, LoadsStackAndPcFromAddressZero) {
    TestMachine m;
    m.put32(0, 0);
    m.put32(4, 0);
    m.cpuState.d[3] = 5;
    EXPECT_EQ(cpu::reset(m.processor), 0u);
    EXPECT_EQ(m.cpuState.a[7], 0u);
    EXPECT_EQ(m.cpuState.pc, 0u);
    EXPECT_EQ(m.cpuState.sr, 0x2700);
    EXPECT_EQ(m.cpuState.d[3], 0u);
    EXPECT_EQ(m.cpuState.pendingInterrupts, 0);
    m.put32(0, 0x7000);
    m.put32(4, 0x1000);
    EXPECT_EQ(cpu::reset(m.processor), 0u);
    EXPECT_EQ(m.cpuState.a[7], 0x7000u);
    EXPECT_EQ(m.cpuState.pc, 0x1000u);
}

TEST(ProcessorResetTest, OddInitialPcHalts) {
    TestMachine m;
    m.put32(4, 0x1001);
    EXPECT_EQ(cpu::reset(m.processor), RUN_HALTED);
    EXPECT_EQ(m.cpuState.pendingInterrupts, PENDING_STOPPED);
    EXPECT_EQ(cpu::execute(m.processor, 100), RUN_HALTED);
}

TEST(ProcessorResetTest, RefusedDuringARunOrWithoutFetchList) {
    TestMachine m;
    load(m, kCode, {0x33C0, 0x00DF, 0xF000});  // MOVE.W D0,$DFF000
    m.start(kCode);
    m.cpuState.d[5] = 9;
    uint32_t inside = 0;
    TestMachine::onAccess = [&](const Access&) { inside = cpu::reset(m.processor); };
    cpu::execute(m.processor, 1);
    EXPECT_EQ(inside, 1u);
    EXPECT_EQ(m.cpuState.d[5], 9u);
    EXPECT_EQ(m.cpuState.pc, kCode + 6);
    m.cpuState.supervisor.fetchMap = nullptr;
    EXPECT_EQ(cpu::reset(m.processor), 1u);
}

TEST(ProcessorResetTest, NoRegionAtAddressZeroLeavesItHalted) {
    TestMachine m;
    FetchRegion high[2] = {{0x10000, 0x1FFFF, reinterpret_cast<uintptr_t>(m.bytes())},
                           {kListEnd, kListEnd, 0}};
    m.cpuState.supervisor.fetchMap = high;
    EXPECT_EQ(cpu::reset(m.processor), 1u);
    EXPECT_EQ(m.cpuState.pc, 1u);
    EXPECT_EQ(cpu::execute(m.processor, 10), RUN_HALTED);
}

} // namespace
} // namespace varno::test
