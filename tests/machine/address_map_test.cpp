// The machine's address map as running 68000 code sees it: the end of main
// memory, unmapped space, the 24-bit bus and the byte order of emulated RAM.
#include <gtest/gtest.h>

#include "machine/machine_fixture.h"

namespace varno {
namespace {

using AddressMap = test::MachineTest;

TEST_F(AddressMap, ReadsAndWritesFromRunningCode) {
    main().writeWord(0x5FFFFE, 0xABCD);
    main().writeLong(0x30000, 0x12345678);
    const uint32_t code = placeCode({
        0x3039, 0x005F, 0xFFFE,          // MOVE.W $5FFFFE,D0: the last word of RAM
        0x3239, 0x0060, 0x0000,          // MOVE.W $600000,D1: nothing there
        0x2439, 0x0103, 0x0000,          // MOVE.L $01030000,D2: only 24 address lines
        0x13FC, 0x005A, 0x0003, 0x0005,  // MOVE.B #$5A,$30005
        0x3639, 0x0003, 0x0004,          // MOVE.W $30004,D3
        0x23FC, 0xCAFE, 0xF00D, 0x0003, 0x0010,  // MOVE.L #$CAFEF00D,$30010
        0x4E75,
    });
    registers().d[1] = 0;
    ASSERT_EQ(run(code), RUN_BUDGET_SPENT) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(registers().d[0] & 0xFFFF, 0xABCDu);
    EXPECT_EQ(registers().d[1] & 0xFFFF, 0xFFFFu);
    EXPECT_EQ(registers().d[2], 0x12345678u);
    EXPECT_EQ(registers().d[3] & 0xFFFF, 0x005Au) << "byte at an odd address is the word's low byte";
    EXPECT_EQ(main().readWord(0x30010), 0xCAFE);
    EXPECT_EQ(main().readWord(0x30012), 0xF00D);
    EXPECT_EQ(main().readByte(0x30010), 0xCA);
}

TEST_F(AddressMap, CodeRunsFromLowMemoryButNotFromDevices) {
    // A routine in low memory above the protected area runs like any other.
    low().writeWord(0x1F000, 0x7007);  // MOVEQ #7,D0
    low().writeWord(0x1F002, 0x4E75);
    uint32_t d0 = 0;
    registers().pc = 0x1F000;
    EXPECT_EQ(runRoutine(*m().cpu, &d0, nullptr), RUN_BUDGET_SPENT);
    EXPECT_EQ(d0, 7u);
    // The custom chips answer data accesses but hold no code.
    EXPECT_EQ(run(0xDFF000), RUN_FETCH_FAULT);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Emulated CPU went into the weeds. (PC = 0x00dff000)");
}

} // namespace
} // namespace varno
