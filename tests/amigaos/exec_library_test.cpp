// exec.library calls, made through exec's trap word the way the call stubs make
// them, with arguments in the processor registers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "amigaos/system.h"
#include "hardware/cia.h"
#include "machine/machine_fixture.h"

namespace varno {
namespace {

constexpr uint32_t kExecTrap = 0x734;
constexpr uint32_t kDeliBase = 0x1C06;

class ExecCalls : public test::MachineTest {
protected:
    void call(int16_t lvo) { low().handlers.writeWord(kExecTrap, uint16_t(lvo), test::busRegionOf(low().handlers)); }
    // Every register set to a recognisable value.
    void fillRegisters() {
        for (int i = 0; i < 8; ++i) registers().d[i] = 0xD0D00000 + i, registers().a[i] = 0xA0A00000 + i;
    }
};

TEST_F(ExecCalls, AllocMemHandsOutClearedEvenBlocks) {
    const uint32_t start = main().cursor;
    main().fill(start, 0xAA, 64);  // memory used before
    registers().d[0] = 5;
    registers().d[1] = 0x10002;  // MEMF_CHIP | MEMF_CLEAR: not looked at
    call(-198);
    const uint32_t first = registers().d[0];
    registers().d[0] = 4;
    call(-198);
    const uint32_t second = registers().d[0];
    EXPECT_EQ(first, start);
    EXPECT_EQ(second, start + 6);
    EXPECT_EQ(main().cursor, start + 10);
    // Exactly the requested bytes are cleared: not the pad byte after the odd
    // block, nor anything after the second.
    for (uint32_t a = start; a < start + 10; ++a) EXPECT_EQ(main().readByte(a), a == start + 5 ? 0xAA : 0) << a;
    EXPECT_EQ(main().readByte(start + 10), 0xAA);

    registers().d[0] = 0;
    call(-198);
    EXPECT_EQ(registers().d[0], start + 10);
    EXPECT_EQ(main().cursor, start + 10);
}

// The top of main memory is kept for file checks: AllocMem ends below it.
TEST_F(ExecCalls, AllocMemThatDoesNotFitReturnsZeroAndWritesNothing) {
    main().allocate(0x100);
    const uint32_t start = main().cursor;
    const uint32_t limit = 0x600000u - kCheckDataReserve;
    main().fill(start, 0xAA, 16);
    for (uint32_t size : {0x5E0000u, 0xFFFFFFFFu, 0x80000000u, 0x600000u - start, limit - start + 1, limit - start + 2}) {
        SCOPED_TRACE(size);
        registers().d[0] = size;
        call(-198);
        EXPECT_EQ(registers().d[0], 0u);
        EXPECT_EQ(main().cursor, start);
        EXPECT_EQ(main().readByte(start), 0xAA);
    }
    registers().d[0] = limit - start;  // exactly the rest fits
    call(-198);
    EXPECT_EQ(registers().d[0], start);
    EXPECT_EQ(main().cursor, limit);
    registers().d[0] = 2;
    call(-198);
    EXPECT_EQ(registers().d[0], 0u) << "nothing of the room kept for file checks";
    EXPECT_EQ(main().cursor, limit);
    EXPECT_NE(main().allocate(kCheckDataReserve), 0u) << "which the machine itself can still use";
}

TEST_F(ExecCalls, LibrariesAndResourcesByName) {
    struct Row {
        int16_t lvo;
        const char* name;
        uint32_t base;
    };
    const Row rows[] = {
        {-552, "exec.library", 0x4BC},      {-552, "dos.library", 0x1204},
        {-552, "graphics.library", 0xC98},  {-552, "varno.library", 0x18E8},
        {-552, "DOS.library", 0},           {-552, "intuition.library", 0},
        {-552, "dos.library ", 0},          {-552, "", 0},
        {-408, "dos.library", 0x1204},      {-408, "exec.library", 0x4BC},
        {-498, "ciaa.resource", 0x1978},    {-498, "CiAb.ReSoUrCe", 0x1A08},
        {-498, "cia.resource", 0},          {-498, "ciab.library", 0},
        {-498, "dos.library", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        registers().a[1] = placeString(r.name);
        registers().d[0] = 0x55;
        call(r.lvo);
        EXPECT_EQ(registers().d[0], r.base);
    }
    // A name outside mainMemory matches nothing, even if it spells a library.
    low().writeString(0x1F000, "dos.library");
    registers().a[1] = 0x1F000;
    call(-552);
    EXPECT_EQ(registers().d[0], 0u);
}

TEST_F(ExecCalls, SetIntVectorTakesOnlyTheAudioInterrupts) {
    for (uint32_t number = 0; number < 16; ++number) {
        SCOPED_TRACE(number);
        registers().d[0] = number;
        registers().a[1] = 0x30000 + number;
        call(-162);
        const bool audio = number >= 7 && number <= 10;
        EXPECT_EQ(registers().d[0], audio ? 0u : 1u);
        if (audio) {
            EXPECT_EQ(low().readLong(kDeliBase + 538 + 4 * (number - 7)), 0x30000 + number);
        }
    }
    EXPECT_EQ(low().readLong(kDeliBase + 542), 0x30008u);
    EXPECT_EQ(low().readLong(kDeliBase + 554), 0u) << "nothing stored past the four slots";
}

TEST_F(ExecCalls, VerticalBlankServerRunsOnCiaBTimerA) {
    registers().d[0] = 0x105;  // only the low byte names the interrupt
    registers().a[1] = 0x31234;
    call(-168);
    EXPECT_EQ(registers().d[0], 0u);
    EXPECT_EQ(m().system->ciab->timerAInterrupt, 0x31234u);
    EXPECT_EQ(m().system->ciaa->timerAInterrupt, 0u);
    EXPECT_EQ(m().ciaB->ICR & 1, 1);
    EXPECT_EQ(m().ciaB->CRA & 1, 1);
    EXPECT_EQ(m().ciaB->TALO, 0x6C);
    EXPECT_EQ(m().ciaB->TAHI, 0x37);
    song().timerSource = 3;
    m().updateTickLength();
    EXPECT_NEAR(song().tickSeconds, 14188 / 709378.9, 1e-7);

    registers().d[0] = 3;  // any other interrupt: ignored, D0 unchanged
    registers().a[1] = 0x39999;
    call(-168);
    EXPECT_EQ(registers().d[0], 3u);
    EXPECT_EQ(m().system->ciab->timerAInterrupt, 0x31234u);
}

TEST_F(ExecCalls, TypeOfMemSaysChipAndPublic) {
    registers().a[1] = 0x123456;
    call(-534);
    EXPECT_EQ(registers().d[0], 3u);
}

TEST_F(ExecCalls, VectorsWithoutAFunctionLeaveEveryRegisterAlone) {
    for (int16_t lvo : {-6, -12, -18, -24, -30, -210, -294, -684, -780, -174, -156}) {
        SCOPED_TRACE(lvo);
        fillRegisters();
        const CpuState before = registers();
        const uint32_t cursor = main().cursor;
        call(lvo);
        EXPECT_EQ(std::memcmp(before.d, registers().d, sizeof before.d), 0);
        EXPECT_EQ(std::memcmp(before.a, registers().a, sizeof before.a), 0);
        EXPECT_EQ(main().cursor, cursor);
    }
}

} // namespace
} // namespace varno
