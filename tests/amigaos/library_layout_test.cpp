// Where the libraries, resources and vectors lie in low memory, read back from
// emulated memory. The addresses are worked out by hand from the layout rules:
// each object's name at (previous end + 32) rounded down to 16, its vectors
// below the base, its trap word after the base structure, 10-byte stubs after it.
#include <gtest/gtest.h>

#include <algorithm>

#include "amigaos/system.h"
#include "machine/machine_fixture.h"

namespace varno {
namespace {

using test::MachineTest;

struct LibraryRow {
    const char* name;
    uint32_t nameAddress, base, trap, firstStub, end;
    uint8_t nodeType;
};

// exec:     name 0x1A0, 780 bytes of vectors from 0x1B0, base 0x4BC, 632-byte ExecBase,
//           130 stubs from 0x738 to 0xC4C.
// graphics: (0xC4C + 32) & ~15 = 0xC60, 32-byte name area, base 0xC98, 300 bytes, 4 stubs.
// dos:      0xE10, base 0xE20 + 996 = 0x1204, trap 0x1226, 166 stubs to 0x18A6.
// varno, ciaa, ciab: 16-byte names, 24 bytes of vectors, 34-byte base, 4 stubs each.
constexpr LibraryRow kLibraries[] = {
    {"exec.library", 0x1A0, 0x4BC, 0x734, 0x738, 0xC4C, 9},
    {"graphics.library", 0xC60, 0xC98, 0xDC4, 0xDC8, 0xDF0, 9},
    {"dos.library", 0xE10, 0x1204, 0x1226, 0x122A, 0x18A6, 9},
    {"varno.library", 0x18C0, 0x18E8, 0x190A, 0x190E, 0x1936, 9},
    {"ciaa.resource", 0x1950, 0x1978, 0x199A, 0x199E, 0x19C6, 8},
    {"ciab.resource", 0x19E0, 0x1A08, 0x1A2A, 0x1A2E, 0x1A56, 8},
};

class LibraryLayout : public MachineTest {
protected:
    const CLibrary* library(int i) {
        const CSystem& s = *m().system;
        const CLibrary* all[] = {s.exec.get(), s.graphics.get(), s.dos.get(), s.varno.get(), s.ciaa.get(), s.ciab.get()};
        return all[i];
    }
    std::string stringAt(uint32_t address) {
        char text[64];
        low().readString(address, text, 63);
        return text;
    }
};

TEST_F(LibraryLayout, EveryObjectLiesWhereTheChainPutsIt) {
    for (int i = 0; i < 6; ++i) {
        const LibraryRow& row = kLibraries[i];
        SCOPED_TRACE(row.name);
        const CLibrary& lib = *library(i);
        EXPECT_EQ(lib.nameAddress(), row.nameAddress);
        EXPECT_EQ(lib.baseAddress(), row.base);
        EXPECT_EQ(lib.trapAddress(), row.trap);
        EXPECT_EQ(lib.stubStart(), row.firstStub);
        EXPECT_EQ(lib.endAddress(), row.end);
        EXPECT_EQ(stringAt(row.nameAddress), row.name);  // terminator intact, also for the 17-byte name
        EXPECT_EQ(low().readByte(row.base + 8), row.nodeType);
        EXPECT_EQ(low().readLong(row.base + 10), row.nameAddress);
        EXPECT_EQ(low().readLong(row.base + 24), row.nameAddress);
        EXPECT_EQ(low().readWord(row.base + 20), 0);  // version stays 0
    }
}

TEST_F(LibraryLayout, VectorsJumpToStubsThatWriteTheirOffsetToTheTrapWord) {
    struct Row {
        int library;
        int16_t lvo;
        uint32_t stub;  // standard vectors first, then -30 downwards
    };
    const Row rows[] = {
        {0, -6, 0x738},          {0, -24, 0x738 + 3 * 10},    {0, -30, 0x738 + 4 * 10},
        {0, -552, 0x738 + 91 * 10}, {0, -780, 0x738 + 129 * 10},
        {2, -996, 0x122A + 165 * 10}, {5, -18, 0x1A2E + 2 * 10}, {1, -24, 0xDC8 + 3 * 10},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.lvo);
        const LibraryRow& lib = kLibraries[r.library];
        const uint32_t vector = lib.base + uint32_t(int32_t(r.lvo));
        EXPECT_EQ(low().readWord(vector), 0x4EF9);
        EXPECT_EQ(low().readLong(vector + 2), r.stub);
        EXPECT_EQ(low().readWord(r.stub), 0x33FC);
        EXPECT_EQ(low().readWord(r.stub + 2), uint16_t(r.lvo));
        EXPECT_EQ(low().readLong(r.stub + 4), lib.trap);
        EXPECT_EQ(low().readWord(r.stub + 8), 0x4E75);
    }
    // The vector table fills the negative area exactly: the first vector of
    // exec sits right after its name area.
    EXPECT_EQ(0x4BCu - 780u, 0x1B0u);
    EXPECT_EQ(low().readWord(0x1B0), 0x4EF9);
    EXPECT_EQ(low().readLong(0x1B2), 0x738u + 129 * 10);
}

TEST_F(LibraryLayout, SystemFieldsPlayersRead) {
    EXPECT_EQ(low().readLong(4), 0x4BCu);           // SysBase
    EXPECT_EQ(low().readWord(0x4BC + 296), 1);      // AttnFlags
    EXPECT_EQ(low().readByte(0x4BC + 530), 50);     // VBlankFrequency
    EXPECT_EQ(low().readByte(0x4BC + 568), 50);
    EXPECT_EQ(low().readByte(0x4BC + 569), 0);
    EXPECT_EQ(low().readWord(0xC98 + 206), 4);      // graphics DisplayFlags: PAL
    const CLibrary& exec = *m().system->exec;
    EXPECT_EQ(exec.negativeSize(), 780u);
    EXPECT_EQ(exec.positiveSize(), 632u);
    EXPECT_EQ(exec.totalSize(), 780u + (0xC4Cu - 0x4BCu) + 16);
}

TEST_F(LibraryLayout, LowMemoryProtectsVectorsAgainstWordWrites) {
    const BusRegion region = test::busRegionOf(low().handlers);
    const RegionHandlers& h = low().handlers;
    h.writeWord(0x14E, 0x1234, region);
    EXPECT_EQ(low().readWord(0x14E), 0) << "word write below 0x150 is dropped";
    h.writeWord(0x100, 0x1234, region);
    EXPECT_EQ(low().readWord(0x100), 0x0004) << "the stub word there stays";
    EXPECT_EQ(h.writeByte, nullptr) << "byte writes are not checked";
    h.writeWord(0x150, 0xBEEF, region);
    EXPECT_EQ(low().readWord(0x150), 0xBEEF);
    h.writeWord(0x0C, 0, region);
    EXPECT_EQ(low().readLong(0x0C), 0xF8000Cu);
    // graphics' trap word is plain memory: a graphics call just stores its offset.
    h.writeWord(0xDC4, 0xFFE2, region);
    EXPECT_EQ(low().readWord(0xDC4), 0xFFE2);
    // varno's trap word is hooked and ignored.
    h.writeWord(0x190A, 0xFFE2, region);
    EXPECT_EQ(low().readWord(0x190A), 0);
    // Above the last trap word the hook has nothing to do: the bus skips it there.
    const CSystem& sys = *m().system;
    uint32_t last = 0;
    for (uint32_t trap : {sys.deliBase->trapAddress, sys.ciaa->trapAddress(), sys.ciab->trapAddress(),
                          sys.exec->trapAddress(), sys.dos->trapAddress(), sys.varno->trapAddress()})
        last = std::max(last, trap);
    EXPECT_EQ(low().handledEnd, last + 2);
}

} // namespace
} // namespace varno
