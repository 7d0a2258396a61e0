// The opcode space: how many opcodes are instructions, line A, line F and illegal,
// which later-processor encodings stay illegal, and the MOVE.B An quirk.
#include <gtest/gtest.h>

#include <vector>

#include "cpu/run_state.h"
#include "test_machine.h"

namespace varno::test {
namespace {

TEST(DecodeTest, CensusOfTheOpcodeSpace) {
    TestMachine m;
    int instructions = 0, lineA = 0, lineF = 0, illegal = 0;
    for (uint32_t op = 0; op < 65536; ++op) {
        cpu::Handler h = cpu::opcodeTable[op];
        if (h == cpu::lineA) ++lineA;
        else if (h == cpu::lineF) ++lineF;
        else if (h == cpu::illegalInstruction) ++illegal;
        else ++instructions;
    }
    EXPECT_EQ(instructions, 46216);
    EXPECT_EQ(lineA, 4096);
    EXPECT_EQ(lineF, 4096);
    EXPECT_EQ(illegal, 11128);
}

TEST(DecodeTest, LineAAndLineFCoverTheirWholeRanges) {
    TestMachine m;
    for (uint32_t low = 0; low < 0x1000; ++low) {
        ASSERT_EQ(cpu::opcodeTable[0xA000 | low], cpu::lineA) << std::hex << (0xA000 | low);
        ASSERT_EQ(cpu::opcodeTable[0xF000 | low], cpu::lineF) << std::hex << (0xF000 | low);
    }
}

TEST(DecodeTest, LaterProcessorEncodingsAreIllegal) {
    TestMachine m;
    const std::pair<uint16_t, const char*> cases[] = {
        {0x42C0, "MOVE CCR,D0"},   {0x4E74, "RTD"},          {0x4E7A, "MOVEC"},
        {0x0E10, "MOVES"},         {0x4848, "BKPT #0"},      {0x4100, "CHK.L D0,D0"},
        {0x49C0, "EXTB.L D0"},     {0x4808, "LINK.L A0"},    {0x4C00, "MULU.L D0"},
        {0x4C40, "DIVU.L D0"},     {0x0AD0, "CAS.B"},        {0x0CFC, "CAS2.W"},
        {0x00D0, "CMP2/CHK2.B"},   {0x50FC, "TRAPT"},        {0x8140, "PACK"},
        {0x8180, "UNPK"},          {0xE8C0, "BFTST D0"},     {0x4A48, "TST.W A0"},
        {0x4A3C, "TST.B #imm"},    {0x4A7A, "TST.W d16(PC)"}, {0x0C3A, "CMPI.B d16(PC)"},
        {0x06C0, "RTM D0"},        {0x083C, "BTST #,#imm"},
        {0x51FC, "TRAPF"},         {0x4E7B, "MOVEC"},        {0xD008, "ADD.B A0,D0"},
        {0x9008, "SUB.B A0,D0"},   {0xB008, "CMP.B A0,D0"},  {0x5208, "ADDQ.B #1,A0"},
        {0x5308, "SUBQ.B #1,A0"},  {0x1E40, "MOVEA.B"},
    };
    for (const auto& [op, name] : cases) {
        EXPECT_EQ(cpu::opcodeTable[op], cpu::illegalInstruction) << name << " " << std::hex << op;
    }
    // MOVE with a PC-relative destination: mode 7, register 2.
    EXPECT_EQ(cpu::opcodeTable[0x15C0], cpu::illegalInstruction) << "MOVE.B D0,d16(PC)";
}

TEST(DecodeTest, MoveByteFromAddressRegisterMovesItsLowByte) {
    TestMachine m;
    m.code(0x1000, {0x100B});  // MOVE.B A3,D0
    m.start(0x1000, 0x2700);
    m.cpuState.a[3] = 0x12345680;
    m.cpuState.d[0] = 0xAAAAAAAA;
    EXPECT_EQ(m.step(), 4u);
    EXPECT_EQ(m.cpuState.d[0], 0xAAAAAA80u);
    EXPECT_EQ(m.cpuState.sr & 0x0F, SR_N);
}

TEST(DecodeTest, MoveByteFromAddressRegisterCoversEveryDestination) {
    TestMachine m;
    int executed = 0;
    for (uint32_t op = 0x1008; op < 0x2000; ++op) {
        if ((op & 0x38) != 0x08) continue;  // source An only
        if (cpu::opcodeTable[op] != cpu::illegalInstruction) ++executed;
    }
    EXPECT_EQ(executed, 400);  // 8 source registers x 50 data-alterable destinations
}

TEST(DecodeTest, ByteStepOfA7KeepsTheStackEven) {
    struct Case { uint16_t op; int reg; int32_t step; const char* name; };
    const Case cases[] = {
        {0x101F, 7, 2, "MOVE.B (A7)+,D0"}, {0x101E, 6, 1, "MOVE.B (A6)+,D0"},
        {0x1027, 7, -2, "MOVE.B -(A7),D0"}, {0x1026, 6, -1, "MOVE.B -(A6),D0"},
        {0x301F, 7, 2, "MOVE.W (A7)+,D0"},  {0x201E, 6, 4, "MOVE.L (A6)+,D0"},
    };
    for (const auto& c : cases) {
        TestMachine m;
        m.code(0x1000, {c.op});
        m.start(0x1000, 0x2700, 0x8000);
        m.cpuState.a[6] = 0x7000;
        uint32_t before = m.cpuState.a[c.reg];
        m.step();
        EXPECT_EQ(m.cpuState.a[c.reg] - before, static_cast<uint32_t>(c.step)) << c.name;
    }
}

} // namespace
} // namespace varno::test
