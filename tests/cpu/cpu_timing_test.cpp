// Cycle costs: the manual's timing tables and the counts this core fixes by rule.
// Each row is one instruction, its set-up registers, and the cycles worked out by
// hand from the tables.
#include <gtest/gtest.h>

#include <vector>

#include "test_machine.h"

namespace varno::test {
namespace {

struct TimingCase {
    const char* name;
    std::vector<uint16_t> code;
    uint32_t d0, d1;
    uint16_t sr;
    uint32_t cycles;
};

constexpr uint32_t kCode = 0x1000;

void checkTimings(const std::vector<TimingCase>& cases) {
    for (const auto& c : cases) {
        TestMachine m;
        uint32_t a = kCode;
        for (uint16_t w : c.code) {
            m.put16(a, w);
            a += 2;
        }
        m.put32(0x7000, 0x1000);  // a return address for RTS/RTE/RTR
        m.put32(0x7004, 0x1000);
        m.start(kCode, c.sr, 0x7000);
        m.cpuState.d[0] = c.d0;
        m.cpuState.d[1] = c.d1;
        m.cpuState.a[0] = 0x4000;
        m.cpuState.a[1] = 0x4100;
        EXPECT_EQ(m.step(), c.cycles) << c.name;
    }
}

TEST(TimingTest, MoveAndArithmeticFollowTheTables) {
    checkTimings({
        {"MOVE.L D0,D1", {0x2200}, 0, 0, 0x2700, 4},
        {"MOVE.L (A0),D1", {0x2210}, 0, 0, 0x2700, 12},
        {"MOVE.L -(A0),D1", {0x2220}, 0, 0, 0x2700, 14},
        {"MOVE.L 8(A0),D1", {0x2228, 0x0008}, 0, 0, 0x2700, 16},
        {"MOVE.L 8(A0,D0.W),D1", {0x2230, 0x0008}, 0, 0, 0x2700, 18},
        {"MOVE.L $2000.L,D1", {0x2239, 0x0000, 0x2000}, 0, 0, 0x2700, 20},
        {"MOVE.W D0,(A1)+", {0x32C0}, 0, 0, 0x2700, 8},
        {"MOVE.L (A0)+,-(A1)", {0x2318}, 0, 0, 0x2700, 20},
        {"MOVE.W #imm,$2000.L", {0x33FC, 0x1234, 0x0000, 0x2000}, 0, 0, 0x2700, 20},
        {"MOVEQ #1,D0", {0x7001}, 0, 0, 0x2700, 4},
        {"ADD.L D0,D1", {0xD280}, 0, 0, 0x2700, 8},
        {"ADD.W D0,D1", {0xD240}, 0, 0, 0x2700, 4},
        {"ADD.L (A0),D1", {0xD290}, 0, 0, 0x2700, 14},
        {"ADD.L D1,(A0)", {0xD390}, 0, 0, 0x2700, 20},
        {"ADDA.W D0,A0", {0xD0C0}, 0, 0, 0x2700, 8},
        {"ADDQ.W #1,A0", {0x5248}, 0, 0, 0x2700, 8},
        {"ADDI.L #1,D0", {0x0680, 0x0000, 0x0001}, 0, 0, 0x2700, 16},
        {"CMPI.L #1,D0", {0x0C80, 0x0000, 0x0001}, 0, 0, 0x2700, 14},
        {"LEA 4(A0),A1", {0x43E8, 0x0004}, 0, 0, 0x2700, 8},
        {"PEA (A0)", {0x4850}, 0, 0, 0x2700, 12},
        {"MOVEM.L D0-D1,-(A7)", {0x48E7, 0xC000}, 0, 0, 0x2700, 8 + 2 * 8},
        {"MOVEM.W (A0)+,D0-D2", {0x4C98, 0x0007}, 0, 0, 0x2700, 12 + 3 * 4},
        {"SWAP D0", {0x4840}, 0, 0, 0x2700, 4},
        {"EXG D0,D1", {0xC141}, 0, 0, 0x2700, 6},
        {"NOP", {0x4E71}, 0, 0, 0x2700, 4},
    });
}

TEST(TimingTest, ShiftsCostTwoPerPosition) {
    checkTimings({
        {"LSL.W #3,D0", {0xE748}, 0, 0, 0x2700, 6 + 6},
        {"ASR.B #8,D0", {0xE000}, 0, 0, 0x2700, 6 + 16},
        {"LSL.L D1,D0 (10)", {0xE3A8}, 0, 10, 0x2700, 8 + 20},
        {"ROR.L D1,D0 (count 70 -> 6)", {0xE2B8}, 0, 70, 0x2700, 8 + 12},
        {"ROXL.W D1,D0 (0)", {0xE370}, 0, 0, 0x2700, 6},
        {"LSR.W (A0)", {0xE2D0}, 0, 0, 0x2700, 12},
    });
}

TEST(TimingTest, BranchesAndCalls) {
    checkTimings({
        {"BRA.S", {0x6002}, 0, 0, 0x2700, 10},
        {"BEQ.S not taken", {0x6702}, 0, 0, 0x2700, 8},
        {"BEQ.W not taken", {0x6700, 0x0010}, 0, 0, 0x2700, 12},
        {"BEQ.W taken", {0x6700, 0x0010}, 0, 0, 0x2704, 10},
        {"BSR.S", {0x6102}, 0, 0, 0x2700, 18},
        {"JSR $2000.L", {0x4EB9, 0x0000, 0x2000}, 0, 0, 0x2700, 20},
        {"JSR (A0)", {0x4E90}, 0, 0, 0x2700, 16},
        {"JMP $2000.L", {0x4EF9, 0x0000, 0x2000}, 0, 0, 0x2700, 12},
        {"JMP 2(PC,D0.W)", {0x4EFB, 0x0002}, 0, 0, 0x2700, 14},
        {"RTS", {0x4E75}, 0, 0, 0x2700, 16},
        {"RTE", {0x4E73}, 0, 0, 0x2700, 20},
        {"RTR", {0x4E77}, 0, 0, 0x2700, 20},
        {"DBRA taken", {0x51C8, 0xFFFE}, 5, 0, 0x2700, 10},
        {"DBRA expired", {0x51C8, 0xFFFE}, 0, 0, 0x2700, 14},
        {"DBEQ with Z set", {0x57C8, 0xFFFE}, 5, 0, 0x2704, 12},
        {"SEQ D0 true", {0x57C0}, 0, 0, 0x2704, 6},
        {"SEQ D0 false", {0x57C0}, 0, 0, 0x2700, 4},
        {"SEQ (A0)", {0x57D0}, 0, 0, 0x2700, 12},
    });
}

TEST(TimingTest, MultiplyDependsOnTheSourceBits) {
    checkTimings({
        {"MULU D1,D0 with $FFFF", {0xC0C1}, 3, 0xFFFF, 0x2700, 70},
        {"MULU D1,D0 with 0", {0xC0C1}, 3, 0, 0x2700, 38},
        {"MULU D1,D0 with $0101", {0xC0C1}, 3, 0x0101, 0x2700, 42},
        {"MULS D1,D0 with 0", {0xC1C1}, 3, 0, 0x2700, 38},
        {"MULS D1,D0 with $5555", {0xC1C1}, 3, 0x5555, 0x2700, 70},
        {"MULS D1,D0 with $FFFF", {0xC1C1}, 3, 0xFFFF, 0x2700, 40},
        {"MULS D1,D0 with $8000", {0xC1C1}, 3, 0x8000, 0x2700, 40},
        {"MULU (A0),D0 with 0", {0xC0D0}, 3, 0, 0x2700, 42},
    });
}

TEST(TimingTest, FixedCountsOfThisCore) {
    checkTimings({
        {"DIVU D1,D0", {0x80C1}, 100, 7, 0x2700, 133},
        {"DIVU D1,D0 overflow", {0x80C1}, 0x7FFFFFFF, 1, 0x2700, 133},
        {"DIVU #7,D0", {0x80FC, 0x0007}, 100, 0, 0x2700, 133 + 4},
        {"DIVU (A0),D0 by zero", {0x80D0}, 100, 0, 0x2700, 38 + 4},
        {"DIVS D1,D0", {0x81C1}, 100, 7, 0x2700, 150},
        {"DIVS D1,D0 overflow", {0x81C1}, 0x7FFFFFFF, 1, 0x2700, 150},
        {"DIVU D1,D0 by zero", {0x80C1}, 100, 0, 0x2700, 38},
        {"CLR.W (A0)", {0x4250}, 0, 0, 0x2700, 10},
        {"CLR.B 2(A0)", {0x4228, 0x0002}, 0, 0, 0x2700, 14},
        {"CLR.L (A0)", {0x4290}, 0, 0, 0x2700, 20},
        {"CLR.W D0", {0x4240}, 0, 0, 0x2700, 4},
        {"CLR.L D0", {0x4280}, 0, 0, 0x2700, 6},
        {"TRAP #3", {0x4E43}, 0, 0, 0x2700, 34},
        {"CHK D1,D0 out of bounds", {0x4181}, 9, 3, 0x2700, 40},
        {"TRAPV with V set", {0x4E76}, 0, 0, 0x2702, 38},
        {"ILLEGAL", {0x4AFC}, 0, 0, 0x2700, 34},
        {"MOVE USP,A0", {0x4E68}, 0, 0, 0x2700, 4},
        {"STOP #$2700", {0x4E72, 0x2700}, 0, 0, 0x2700, 4},
    });
}

} // namespace
} // namespace varno::test
