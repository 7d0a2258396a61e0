// The low-memory contents and region lists the CPU context installs.
#include <gtest/gtest.h>

#include "machine/amiga_machine.h"
#include "machine/cpu_context.h"
#include "hardware/cia.h"
#include "machine/machine_fixture.h"

namespace varno {
namespace {

using test::MachineTest;

using CpuContextLayout = MachineTest;

TEST_F(CpuContextLayout, VectorsLeadIntoTheTrapWindowExceptTheTwoInterrupts) {
    for (uint32_t vector = 2; vector <= 47; ++vector) {
        SCOPED_TRACE(vector);
        uint32_t expected = 0xF80000 + 4 * vector;
        if (vector == 28) expected = 0xC6;
        if (vector == 29) expected = 0x10A;
        EXPECT_EQ(low().readLong(4 * vector), expected);
    }
    EXPECT_EQ(low().readLong(0x0C), 0xF8000Cu);
    EXPECT_EQ(low().readLong(0), 0u);        // reset SSP left alone
    EXPECT_EQ(low().readLong(4), 0x4BCu);    // SysBase, not a reset PC
}

TEST_F(CpuContextLayout, ReturnStubAndStackTop) {
    EXPECT_EQ(low().readWord(0xC0), 0x4EF9);
    EXPECT_EQ(low().readLong(0xC2), 0xF80000u);
    EXPECT_EQ(low().readLong(0x1FFE0), 0xC0u);
    EXPECT_EQ(registers().a[7], 0x1FFE0u);
    EXPECT_EQ(registers().pc, 8u);
    EXPECT_EQ(registers().sr & 0x2700, 0x2700);
}

TEST_F(CpuContextLayout, InterruptStubsFollowTheServerConvention) {
    struct Row {
        uint32_t at;
        uint16_t slots;
        uint16_t last;
    };
    const Row rows[] = {{0xC6, 0x150, 0x4E73}, {0xE8, 0x150, 0x4E75}, {0x10A, 0x160, 0x4E73}, {0x12C, 0x160, 0x4E75}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.at);
        const uint16_t expected[17] = {0x48E7, 0xFFFF, 0x2278, r.slots, 0x2A78, uint16_t(r.slots + 4), 0x207C, 0x00DF,
                                       0xF000, 0x2238, uint16_t(r.slots + 8), 0x2C78, 0x0004, 0x4E95, 0x4CDF, 0xFFFF,
                                       r.last};
        for (uint32_t i = 0; i < 17; ++i) EXPECT_EQ(low().readWord(r.at + 2 * i), expected[i]) << "word " << i;
    }
}

TEST_F(CpuContextLayout, RegionListsCoverTheAddressMap) {
    const CpuContext& c = *m().cpu;
    // Main memory follows low memory on the bus and in host memory: one region.
    EXPECT_EQ(main().data.get(), low().data.get() + 0x20000);
    EXPECT_EQ(c.fetchList[0].first, 0u);
    EXPECT_EQ(c.fetchList[0].last, 0x5FFFFFu);
    EXPECT_EQ(c.fetchList[0].hostOffset, uintptr_t(low().data.get()));
    EXPECT_EQ(c.fetchList[1].first, 0xFFFFFFFFu);

    // Low memory is plain memory but for word writes below the last trap word,
    // which go through the OS environment's hook.
    const uint32_t hooked = low().handledEnd;
    EXPECT_GT(hooked, 0x150u);
    EXPECT_LT(hooked, 0x20000u);
    for (const BusRegion* list : {c.byteReadList, c.wordReadList, c.byteWriteList, c.wordWriteList}) {
        const bool words = list == c.wordWriteList;
        EXPECT_EQ(list[0].first, 0u);
        EXPECT_EQ(list[0].write != nullptr, words);
        EXPECT_EQ(list[0].read, nullptr);
        if (words) {
            EXPECT_EQ(list[0].last, hooked - 1);
            EXPECT_EQ(list[1].first, hooked);
            EXPECT_EQ(list[1].hostBase, low().data.get() + hooked);
            ++list;
        } else {
            EXPECT_EQ(list[0].hostBase, low().data.get());
        }
        EXPECT_EQ(list[0].last, 0x5FFFFFu);
        EXPECT_EQ(list[1].first, 0xDFF000u);
        EXPECT_EQ(list[1].last, 0xDFFFFFu);
        EXPECT_EQ(list[2].first, 0xBFE000u);
        EXPECT_EQ(list[3].first, 0xBFD000u);
        EXPECT_EQ(list[3].last, 0xBFDFFFu);
        EXPECT_EQ(list[4].first, 0xFFFFFFFFu);
    }
    EXPECT_EQ(c.byteWriteList[2].write, m().ciaA->header.handlers.writeByte);
    EXPECT_EQ(&registers().supervisor.fetchMap[0], &c.fetchList[0]);
    EXPECT_EQ(registers().user.writeWordMap, c.wordWriteList);
}

// Separately allocated regions stay two regions: taking them as one would read
// whatever lies beyond the first block.
TEST(CpuContextRegions, MemoryApartInTheHostStaysTwoRegions) {
    auto machine = std::make_unique<AmigaMachine>();
    machine->lowMemory = std::make_unique<MemoryRegion>(kLowMemoryBase, kLowMemorySize);
    machine->mainMemory = std::make_unique<MemoryRegion>(kMainMemoryBase, kMainMemorySize);
    const auto c = createCpuContext(*machine);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->fetchList[0].last, 0x1FFFFu);
    EXPECT_EQ(c->fetchList[1].first, 0x20000u);
    EXPECT_EQ(c->wordReadList[0].last, 0x1FFFFu);
    EXPECT_EQ(c->wordReadList[1].hostBase, machine->mainMemory->data.get());
}

TEST_F(CpuContextLayout, ResetRestoresTheCallState) {
    low().writeLong(0x1FFE0, 0x12345678);
    registers().a[7] = 0x1234;
    m().cpu->busy = 1;
    m().cpu->inInterruptCall = 1;
    m().reset();
    EXPECT_EQ(low().readLong(0x1FFE0), 0xC0u);
    EXPECT_EQ(registers().a[7], 0x1FFE0u);
    EXPECT_EQ(registers().pc, 8u);
    EXPECT_EQ(m().cpu->busy, 0);
    EXPECT_EQ(m().cpu->inInterruptCall, 0);
}

} // namespace
} // namespace varno
