// Real 68000 code (m68k/tests/os/os_calls.S, loaded through the hunk loader)
// calling exec, the CIA resources and the player-interface block the way
// replay routines do: JSR to negative offsets from A6 and through A5.
#include <gtest/gtest.h>

#include "amigaos/system.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/machine_fixture.h"

namespace varno {
namespace {

// Entries of the branch table at the start of os_calls.
enum Entry : uint32_t {
    kResultsAddress,
    kOpenDos,
    kAllocTwice,
    kUnimplementedCall,
    kClaimCiabTimer,
    kCauseSoftInterrupt,
    kPlayerCallbacks,
    kOverwriteVector,
    kSoftInterruptAddress,
    kSoftCountValue,
};

class OsPrograms : public test::MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        if (!VARNO_HAVE_M68K) GTEST_SKIP() << "the m68k cross tools are not installed";
        code_ = loadProgram("os_calls");
        ASSERT_NE(code_, 0u);
    }
    uint32_t call(Entry entry) {
        const uint32_t result = run(code_ + 4 * entry);
        EXPECT_EQ(result, RUN_BUDGET_SPENT) << (errors.empty() ? "" : errors[0]);
        return registers().d[0];
    }
    uint32_t code_ = 0;
};

TEST_F(OsPrograms, OpenLibraryAnswersBeforeTheNextInstruction) {
    EXPECT_EQ(call(kOpenDos), 0x1204u);
    EXPECT_EQ(registers().d[1], 0x1204u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(OsPrograms, AllocMemFromRunningCode) {
    const uint32_t cursor = main().cursor;
    EXPECT_EQ(call(kAllocTwice), cursor);
    EXPECT_EQ(registers().d[1], cursor + 6);
    EXPECT_EQ(main().cursor, cursor + 10);
}

TEST_F(OsPrograms, UnimplementedVectorChangesNoRegister) {
    const uint32_t results = call(kResultsAddress);
    call(kUnimplementedCall);
    const uint32_t expected[16] = {0x11111111, 0x22222222, 0x33333333, 0x44444444, 0x55555555, 0x66666666,
                                   0x77777777, 0x88888888, 0xA0A0A0A0, 0xA1A1A1A1, 0xA2A2A2A2, 0xA3A3A3A3,
                                   0xA4A4A4A4, 0xA5A5A5A5, 0x4BC,      0x1FFE0};
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(main().readLong(results + 4 * i), expected[i]) << "register " << i;
}

TEST_F(OsPrograms, CiabResourceClaimsTimerA) {
    EXPECT_EQ(call(kClaimCiabTimer), 0u);
    const uint32_t interrupt = registers().d[1];
    EXPECT_GE(interrupt, 0x20000u);
    EXPECT_EQ(m().system->ciab->timerAInterrupt, interrupt);
    EXPECT_EQ(m().ciaB->ICR & 1, 1);
    EXPECT_EQ(m().ciaB->CRA & 1, 1);
    EXPECT_EQ(main().readByte(interrupt + 8), 2) << "the structure the program built";
}

TEST_F(OsPrograms, CauseRunsTheServerAsAnInterruptBeforeTheCallReturns) {
    m().customChips->intena = 0x4008;
    m().customChips->intreq = 0x0009;
    EXPECT_EQ(call(kCauseSoftInterrupt), 1u) << "the server ran exactly once";
    const uint32_t data = registers().d[1];
    EXPECT_EQ(main().readLong(data), 0x50F7DA7Au) << "A1 was the Interrupt's data pointer";
    EXPECT_EQ(registers().d[2], 0x4BCu) << "A6 was SysBase";
    EXPECT_EQ(low().readLong(0x168), 0x0008u) << "D1 slot: intena & intreq";
    EXPECT_EQ(low().readLong(0x164) - code_ < 0x200, true) << "code slot points into the program";
    EXPECT_EQ(registers().sr & 0x0700, 0x0700) << "RTE restored the interrupt mask of the call";
}

TEST_F(OsPrograms, CauseFromNativeCodeRunsTheServerAsASubroutine) {
    const uint32_t interrupt = call(kSoftInterruptAddress);
    for (int i = 0; i < 8; ++i) registers().d[i] = 0xD0 + i, registers().a[i] = 0xA0 + i;
    registers().a[1] = interrupt;
    const CpuState before = registers();
    low().handlers.writeWord(m().system->exec->trapAddress(), uint16_t(-180), test::busRegionOf(low().handlers));
    EXPECT_TRUE(errors.empty());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(registers().d[i], before.d[i]) << "D" << i;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(registers().a[i], before.a[i]) << "A" << i;
    EXPECT_EQ(m().cpu->inInterruptCall, 0);
    EXPECT_EQ(call(kSoftCountValue), 1u);

    // While a server runs as a subroutine, a further Cause from running code is dropped.
    m().cpu->inInterruptCall = 1;
    call(kCauseSoftInterrupt);
    m().cpu->inInterruptCall = 0;
    EXPECT_EQ(call(kSoftCountValue), 1u);
}

TEST_F(OsPrograms, PlayerInterfaceCallbacksThroughA5) {
    registers().a[5] = m().system->deliBase->base;
    registers().pc = code_ + 4 * kPlayerCallbacks;
    ASSERT_EQ(runRoutine(*m().cpu, nullptr, nullptr), RUN_BUDGET_SPENT);
    EXPECT_EQ(registers().d[2] & 0xFF, 0xFFu) << "the -96 vector answered 0 and its stub set Z";
    EXPECT_EQ(song().songEndSignalled, 1);
    EXPECT_EQ(registers().d[0], 0u);
    EXPECT_EQ(registers().a[0], 0u);
    EXPECT_EQ(registers().d[3] & 0xFF, 0xFFu);
}

TEST_F(OsPrograms, PlayersCannotReplaceExceptionVectors) {
    EXPECT_NE(run(code_ + 4 * kOverwriteVector), RUN_BUDGET_SPENT);
    EXPECT_EQ(low().readLong(0x10), 0xF80010u);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Guru Meditation: exception $10 (vector 4)", 0), 0u) << errors[0];
}

} // namespace
} // namespace varno
