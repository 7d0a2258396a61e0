// The bus as instructions see it: host byte order, 24-bit addresses, accesses that
// run past a region's end, unmapped addresses, and the order of device accesses.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "test_machine.h"

namespace varno::test {
namespace {

constexpr uint32_t kCode = 0x1000;
constexpr uint32_t kLowEnd = 0x1FFFF;
constexpr uint32_t kMainFirst = 0x20000, kMainLast = 0x5FFFF;
constexpr uint32_t kMainHost = 0x80000;  // main memory lives apart from low memory in the host buffer

// Low memory 0x000000-0x01FFFF and main memory 0x020000-0x05FFFF as two regions whose
// host buffers are not adjacent, plus the recording device at 0xDFF000.
class BusTest : public ::testing::Test {
protected:
    void SetUp() override {
        uint8_t* host = m.bytes();
        fetch[0] = {0, kLowEnd, reinterpret_cast<uintptr_t>(host)};
        fetch[1] = {kMainFirst, kMainLast, reinterpret_cast<uintptr_t>(host + kMainHost) - kMainFirst};
        fetch[2] = {kListEnd, kListEnd, 0};
        BusRegion low{0, kLowEnd, nullptr, nullptr, host};
        BusRegion main{kMainFirst, kMainLast, nullptr, nullptr, host + kMainHost};
        BusRegion end{kListEnd, kListEnd, nullptr, nullptr, nullptr};
        uint32_t dev = TestMachine::kDevice, devLast = dev + 0xFFF;
        readByte[0] = readWord[0] = writeByte[0] = writeWord[0] = low;
        readByte[1] = readWord[1] = writeByte[1] = writeWord[1] = main;
        readByte[2] = {dev, devLast, &TestMachine::deviceReadByte, nullptr, nullptr};
        readWord[2] = {dev, devLast, &TestMachine::deviceReadWord, nullptr, nullptr};
        writeByte[2] = {dev, devLast, nullptr, &TestMachine::deviceWriteByte, nullptr};
        writeWord[2] = {dev, devLast, nullptr, &TestMachine::deviceWriteWord, nullptr};
        readByte[3] = readWord[3] = writeByte[3] = writeWord[3] = end;
        MapSet maps{fetch, readByte, readWord, writeByte, writeWord};
        m.cpuState.supervisor = m.cpuState.user = m.cpuState.current = maps;
    }

    // Runs the given instructions one by one from kCode.
    void run(const std::vector<uint16_t>& code, int instructions) {
        uint32_t a = kCode;
        for (uint16_t w : code) {
            m.put16(a, w);
            a += 2;
        }
        m.start(kCode, 0x2700);
        for (int i = 0; i < instructions; ++i) cpu::execute(m.processor, 1);
    }

    uint16_t mainWord(uint32_t address) { return m.get16(kMainHost + address - kMainFirst); }
    uint8_t mainByteHost(uint32_t offset) { return m.bytes()[kMainHost + offset]; }

    TestMachine m;
    FetchRegion fetch[3];
    BusRegion readByte[4], readWord[4], writeByte[4], writeWord[4];
};

TEST_F(BusTest, WordsAreHostWordsAndBytesAreSwappedWithinThem) {
    run({0x13FC, 0x00AB, 0x0002, 0x0001,     // MOVE.B #$AB,$20001
         0x13FC, 0x00CD, 0x0002, 0x0002,     // MOVE.B #$CD,$20002
         0x3039, 0x0002, 0x0000},            // MOVE.W $20000,D0
        3);
    EXPECT_EQ(m.cpuState.d[0] & 0xFFFF, 0x00ABu);
    EXPECT_EQ(mainByteHost(0), 0xAB) << "68000 byte 0x20001 is host byte 0";
    EXPECT_EQ(mainByteHost(3), 0xCD) << "68000 byte 0x20002 is host byte 3";
}

TEST_F(BusTest, LongIsHighWordThenLowWord) {
    run({0x23FC, 0x1234, 0x5678, 0x0002, 0x0000}, 1);  // MOVE.L #$12345678,$20000
    EXPECT_EQ(mainWord(0x20000), 0x1234);
    EXPECT_EQ(mainWord(0x20002), 0x5678);
}

TEST_F(BusTest, LastWordOfARegionAndTheWordAfterIt) {
    m.put16(kMainHost + kMainLast - 1 - kMainFirst, 0xBEEF);
    run({0x3039, 0x0005, 0xFFFE,       // MOVE.W $5FFFE,D0
         0x3239, 0x0006, 0x0000},      // MOVE.W $60000,D1
        2);
    EXPECT_EQ(m.cpuState.d[0] & 0xFFFF, 0xBEEFu);
    EXPECT_EQ(m.cpuState.d[1] & 0xFFFF, 0xFFFFu);
}

TEST_F(BusTest, AddressesAreTwentyFourBits) {
    run({0x33FC, 0x4321, 0x0102, 0x0000,   // MOVE.W #$4321,$01020000
         0x3039, 0xFF02, 0x0000},          // MOVE.W $FF020000,D0
        2);
    EXPECT_EQ(mainWord(0x20000), 0x4321);
    EXPECT_EQ(m.cpuState.d[0] & 0xFFFF, 0x4321u);
}

TEST_F(BusTest, LongAcrossTwoRegionsIsSplitIntoTwoLookups) {
    run({0x23FC, 0xAABB, 0xCCDD, 0x0001, 0xFFFE,   // MOVE.L #$AABBCCDD,$1FFFE
         0x2039, 0x0001, 0xFFFE},                  // MOVE.L $1FFFE,D0
        2);
    EXPECT_EQ(m.get16(0x1FFFE), 0xAABB);
    EXPECT_EQ(mainWord(0x20000), 0xCCDD);
    EXPECT_EQ(m.cpuState.d[0], 0xAABBCCDDu);
}

TEST_F(BusTest, LongRunningOffARegionIntoNothing) {
    m.put16(kMainHost + kMainLast - 1 - kMainFirst, 0x1111);
    run({0x23FC, 0x2222, 0x3333, 0x0005, 0xFFFE,   // MOVE.L #$22223333,$5FFFE
         0x2039, 0x0005, 0xFFFE},                  // MOVE.L $5FFFE,D0
        2);
    EXPECT_EQ(mainWord(0x5FFFE), 0x2222);
    EXPECT_EQ(m.cpuState.d[0], 0x2222FFFFu);
}

TEST_F(BusTest, UnmappedReadsGiveAllOnesAndWritesVanish) {
    run({0x1039, 0x0070, 0x0000,   // MOVE.B $700000,D0
         0x3239, 0x0070, 0x0000,   // MOVE.W $700000,D1
         0x2439, 0x0070, 0x0000,   // MOVE.L $700000,D2
         0x23C2, 0x0070, 0x0000},  // MOVE.L D2,$700000
        4);
    EXPECT_EQ(m.cpuState.d[0] & 0xFF, 0xFFu);
    EXPECT_EQ(m.cpuState.d[1] & 0xFFFF, 0xFFFFu);
    EXPECT_EQ(m.cpuState.d[2], 0xFFFFFFFFu);
}

TEST_F(BusTest, LongReadStartingUnmappedIsAllOnesWithoutTouchingTheDevice) {
    run({0x2039, 0x00DF, 0xEFFE}, 1);  // MOVE.L $DFEFFE,D0
    EXPECT_EQ(m.cpuState.d[0], 0xFFFFFFFFu);
    EXPECT_TRUE(TestMachine::accesses.empty());
}

TEST_F(BusTest, LongWriteStartingUnmappedStillWritesItsLowHalf) {
    run({0x23FC, 0x1111, 0x2222, 0x00DF, 0xEFFE}, 1);  // MOVE.L #$11112222,$DFEFFE
    std::vector<Access> want = {{'W', 0xDFF000, 0x2222}};
    EXPECT_EQ(TestMachine::accesses, want);
}

TEST_F(BusTest, LongDeviceAccessesAreTwoWordsHighHalfFirst) {
    TestMachine::deviceValue = 0x5A5A;
    run({0x23FC, 0x0001, 0x0002, 0x00DF, 0xF0A0,   // MOVE.L #$00010002,$DFF0A0
         0x2039, 0x00DF, 0xF0A4},                  // MOVE.L $DFF0A4,D0
        2);
    std::vector<Access> want = {{'W', 0xDFF0A0, 0x0001}, {'W', 0xDFF0A2, 0x0002},
                                {'w', 0xDFF0A4, 0}, {'w', 0xDFF0A6, 0}};
    EXPECT_EQ(TestMachine::accesses, want);
    EXPECT_EQ(m.cpuState.d[0], 0x5A5A5A5Au);
}

TEST_F(BusTest, DeviceSeesReadsOnlyWhereTheInstructionReads) {
    struct Case { const char* name; std::vector<uint16_t> code; std::vector<Access> want; };
    const uint32_t dev = TestMachine::kDevice;
    const Case cases[] = {
        {"CLR.W", {0x4279, 0x00DF, 0xF010}, {{'W', dev + 0x10, 0}}},
        {"ST", {0x50F9, 0x00DF, 0xF011}, {{'B', dev + 0x11, 0xFF}}},
        {"ADDQ.W #1", {0x5279, 0x00DF, 0xF010}, {{'w', dev + 0x10, 0}, {'W', dev + 0x10, 0x1235}}},
        {"TAS", {0x4AF9, 0x00DF, 0xF011}, {{'b', dev + 0x11, 0}, {'B', dev + 0x11, 0xB4}}},
        {"BSET #0", {0x08F9, 0x0000, 0x00DF, 0xF011}, {{'b', dev + 0x11, 0}, {'B', dev + 0x11, 0x35}}},
        {"MOVE.B to device", {0x13C0, 0x00DF, 0xF0A9}, {{'B', dev + 0xA9, 0x77}}},
    };
    for (const auto& c : cases) {
        TestMachine::accesses.clear();
        m.cpuState.d[0] = 0x77;
        uint32_t a = kCode;
        for (uint16_t w : c.code) {
            m.put16(a, w);
            a += 2;
        }
        m.start(kCode, 0x2700);
        m.cpuState.d[0] = 0x77;
        cpu::execute(m.processor, 1);
        EXPECT_EQ(TestMachine::accesses, c.want) << c.name;
    }
}

TEST_F(BusTest, CodeCannotRunFromDeviceSpace) {
    run({0x4EF9, 0x00DF, 0xF000}, 0);  // JMP $DFF000
    EXPECT_EQ(cpu::execute(m.processor, 100), RUN_BUDGET_SPENT);
    EXPECT_EQ(cpu::execute(m.processor, 100), RUN_FETCH_FAULT);
    EXPECT_EQ(m.cpuState.pc, 0xDFF000u);
}

TEST_F(BusTest, CodeRunsAcrossTwoFetchRegions) {
    m.put16(0x1FFFE, 0x7005);               // MOVEQ #5,D0 at the end of low memory
    m.put16(kMainHost, 0x7206);             // MOVEQ #6,D1 at 0x20000
    m.put16(kMainHost + 2, 0x6000);         // BRA.W back to 0x1FFFE
    m.put16(kMainHost + 4, 0xFFFA);
    m.start(0x1FFFE, 0x2700);
    EXPECT_EQ(cpu::execute(m.processor, 4 + 4 + 10 + 3), RUN_BUDGET_SPENT);
    EXPECT_EQ(m.cpuState.d[0], 5u);
    EXPECT_EQ(m.cpuState.d[1], 6u);
    EXPECT_EQ(m.cpuState.pc, 0x20000u);
}

} // namespace
} // namespace varno::test

namespace varno::test {
namespace {

// Regions whose size is odd: no access may reach past their last byte (the sanitizer
// build watches the exact-size host buffers).
TEST(OddRegionTest, AccessesNeverReadOrWritePastTheLastByte) {
    TestMachine m;
    std::vector<uint8_t> code(3, 0), data(3, 0x11);
    uint16_t nop = 0x4E71;
    std::memcpy(code.data(), &nop, 2);
    FetchRegion fetch[3] = {{0x3000, 0x3002, reinterpret_cast<uintptr_t>(code.data()) - 0x3000},
                            {0, 0x2FFF, reinterpret_cast<uintptr_t>(m.bytes())},
                            {kListEnd, kListEnd, 0}};
    BusRegion list[3] = {{0x10000, 0x10002, nullptr, nullptr, data.data()},
                         {kListEnd, kListEnd, nullptr, nullptr, nullptr},
                         {kListEnd, kListEnd, nullptr, nullptr, nullptr}};
    MapSet maps{fetch, list, list, list, list};
    m.cpuState.supervisor = m.cpuState.user = m.cpuState.current = maps;
    m.code(0x2000, {0x2039, 0x0001, 0x0000,   // MOVE.L $10000,D0
                    0x3239, 0x0001, 0x0002,   // MOVE.W $10002,D1
                    0x23C0, 0x0001, 0x0000,   // MOVE.L D0,$10000
                    0x33C0, 0x0001, 0x0002,   // MOVE.W D0,$10002
                    0x4EF9, 0x0000, 0x3000}); // JMP $3000
    m.start(0x2000, 0x2700);
    EXPECT_EQ(cpu::execute(m.processor, 1000), RUN_FETCH_FAULT);
    EXPECT_EQ(m.cpuState.d[1] & 0xFFFF, 0xFFFFu) << "a word straddling the end reads as unmapped";
    EXPECT_EQ(m.cpuState.pc, 0x3002u) << "the NOP ran, the straddling word did not";
    EXPECT_EQ(data[2], 0x11);
}

} // namespace
} // namespace varno::test
