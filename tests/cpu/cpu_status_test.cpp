// Writes to SR and CCR, and the switches between supervisor and user mode they cause:
// the stack exchange and the change of map set.
#include <gtest/gtest.h>

#include <vector>

#include "test_machine.h"

namespace varno::test {
namespace {

constexpr uint32_t kCode = 0x1000;

struct SrCase {
    const char* name;
    std::vector<uint16_t> code;
    uint16_t before, after;
};

TEST(StatusRegisterTest, WritesKeepOnlyTraceSupervisorAndMask) {
    const SrCase cases[] = {
        {"MOVE #$77FF,SR", {0x46FC, 0x77FF}, 0x2700, 0x271F},
        {"MOVE #$2000,SR", {0x46FC, 0x2000}, 0x271F, 0x2000},
        {"ORI #$18FF,SR", {0x007C, 0x18FF}, 0x2000, 0x201F},
        {"ANDI #$F8F0,SR", {0x027C, 0xF8F0}, 0x271F, 0x2010},
        {"EORI #$0504,SR", {0x0A7C, 0x0504}, 0x2304, 0x2600},
        {"MOVE #$FF,CCR", {0x44FC, 0x00FF}, 0x2700, 0x271F},
        {"ANDI #$01,CCR", {0x023C, 0x0001}, 0x271F, 0x2701},
        {"ORI #$E0,CCR", {0x003C, 0x00E0}, 0x2700, 0x2700},
        {"EORI #$1F,CCR", {0x0A3C, 0x001F}, 0x2715, 0x270A},
    };
    for (const auto& c : cases) {
        TestMachine m;
        uint32_t a = kCode;
        for (uint16_t w : c.code) {
            m.put16(a, w);
            a += 2;
        }
        m.start(kCode, c.before);
        uint32_t cycles = m.step();
        EXPECT_EQ(m.cpuState.sr, c.after) << c.name;
        EXPECT_EQ(cycles, c.code[0] == 0x46FC || c.code[0] == 0x44FC ? 16u : 20u) << c.name;
    }
}

TEST(StatusRegisterTest, LeavingSupervisorModeExchangesStacks) {
    const std::pair<const char*, std::vector<uint16_t>> cases[] = {
        {"MOVE #0,SR", {0x46FC, 0x0000}},
        {"ANDI #$DFFF,SR", {0x027C, 0xDFFF}},
        {"EORI #$2000,SR", {0x0A7C, 0x2000}},
    };
    for (const auto& [name, code] : cases) {
        TestMachine m;
        uint32_t a = kCode;
        for (uint16_t w : code) {
            m.put16(a, w);
            a += 2;
        }
        m.start(kCode, 0x2000, 0x8000, 0x6000);
        m.step();
        EXPECT_EQ(m.cpuState.sr & SR_S, 0) << name;
        EXPECT_EQ(m.cpuState.a[7], 0x6000u) << name;
        EXPECT_EQ(m.cpuState.otherStackPointer, 0x8000u) << name;
    }
}

TEST(StatusRegisterTest, ModeSwitchSelectsTheUserMapSet) {
    TestMachine m;
    // In user mode the device is absent: its reads give all ones.
    BusRegion userList[2] = {m.cpuState.supervisor.readWordMap[0], {kListEnd, kListEnd, nullptr, nullptr, nullptr}};
    m.cpuState.user.readWordMap = userList;
    m.code(kCode, {0x3039, 0x00DF, 0xF000,   // MOVE.W $DFF000,D0
                   0x46FC, 0x0000,           // MOVE #0,SR
                   0x3239, 0x00DF, 0xF000,   // MOVE.W $DFF000,D1
                   0x4E40});                 // TRAP #0: back to supervisor
    m.put32(4 * 32, 0x2000);
    m.code(0x2000, {0x3439, 0x00DF, 0xF000});  // MOVE.W $DFF000,D2
    m.start(kCode, 0x2000);
    for (int i = 0; i < 5; ++i) m.step();
    EXPECT_EQ(m.cpuState.d[0] & 0xFFFF, 0x1234u);
    EXPECT_EQ(m.cpuState.d[1] & 0xFFFF, 0xFFFFu);
    EXPECT_EQ(m.cpuState.d[2] & 0xFFFF, 0x1234u);
    EXPECT_EQ(m.cpuState.current.readWordMap, m.cpuState.supervisor.readWordMap);
}

TEST(StatusRegisterTest, UserFetchListIsUsedInUserMode) {
    TestMachine m;
    FetchRegion none[1] = {{kListEnd, kListEnd, 0}};
    m.cpuState.user.fetchMap = none;
    m.code(kCode, {0x46FC, 0x0000, 0x4E71});  // MOVE #0,SR ; NOP
    m.start(kCode, 0x2000);
    EXPECT_EQ(cpu::execute(m.processor, 100), RUN_FETCH_FAULT) << "the next fetch uses the empty user list";
    EXPECT_EQ(m.cpuState.pc, kCode + 4);
}

TEST(StatusRegisterTest, MoveUspCopiesTheInactiveStackPointer) {
    TestMachine m;
    m.code(kCode, {0x4E63, 0x4E6C});  // MOVE A3,USP ; MOVE USP,A4
    m.start(kCode, 0x2700, 0x8000, 0x6000);
    m.cpuState.a[3] = 0x5000;
    m.step();
    EXPECT_EQ(m.cpuState.otherStackPointer, 0x5000u);
    m.step();
    EXPECT_EQ(m.cpuState.a[4], 0x5000u);
    EXPECT_EQ(m.cpuState.a[7], 0x8000u);
}

TEST(StatusRegisterTest, StopLoadsTheStatusRegister) {
    TestMachine m;
    m.code(kCode, {0x4E72, 0xFFFF});  // STOP #$FFFF: T, S, mask 7, all flags
    m.start(kCode, 0x2000);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.sr, 0xA71F);
    EXPECT_EQ(m.cpuState.pendingInterrupts, PENDING_STOPPED);
    EXPECT_EQ(m.cpuState.pc, kCode + 4);
}

TEST(StatusRegisterTest, StopToUserModeSwitchesStacks) {
    TestMachine m;
    m.code(kCode, {0x4E72, 0x0000});
    m.start(kCode, 0x2700, 0x8000, 0x6000);
    cpu::execute(m.processor, 1);
    EXPECT_EQ(m.cpuState.a[7], 0x6000u);
    EXPECT_EQ(m.cpuState.otherStackPointer, 0x8000u);
}

} // namespace
} // namespace varno::test
