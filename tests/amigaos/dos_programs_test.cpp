// Real 68000 code (m68k/tests/dos/dos_calls.S, loaded through the hunk loader)
// calling dos.library the way replay routines do: Open/Read/Seek/Close,
// Lock/CurrentDir and LoadSeg through the library's vectors. The test host's
// handles are host pointers, wider than a 68000 register.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "amigaos/system.h"
#include "machine/machine_fixture.h"

namespace varno {
namespace {

// Entries of the branch table at the start of dos_calls.
enum Entry : uint32_t { kResultsAddress, kFileCalls, kDirectoryCalls, kLoadSegment };

std::vector<uint8_t> programFile(const char* name) {
    std::ifstream in(std::string(VARNO_M68K_DIR) + "/tests/dos/" + name, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> bytes(const char* text) { return std::vector<uint8_t>(text, text + std::strlen(text)); }

class DosPrograms : public test::MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        if (!VARNO_HAVE_M68K) GTEST_SKIP() << "the m68k cross tools are not installed";
        std::vector<uint8_t> program = programFile("dos_calls");
        const uint32_t segments = loadExecutable(main(), program.data(), program.size());
        ASSERT_NE(segments, 0u);
        code_ = segments + 4;
        auto& files = test::fakeFiles().files;
        files["data\\file.bin"] = bytes("ABCDEFGHIJKLMNOP");
        files["data\\inner.bin"] = bytes("INNR");
        files["data/segment"] = programFile("dos_segment");
        ASSERT_FALSE(files["data/segment"].empty());
    }
    // Runs one entry; returns the results area.
    uint32_t call(Entry entry) {
        EXPECT_EQ(run(code_ + 4 * entry), RUN_BUDGET_SPENT) << (errors.empty() ? "" : errors[0]);
        return registers().d[0];
    }
    uint32_t result(uint32_t offset) { return main().readLong(results_ + offset); }
    void runScenario(Entry entry) {
        results_ = call(kResultsAddress);
        call(entry);
    }

    uint32_t code_ = 0;
    uint32_t results_ = 0;
};

TEST_F(DosPrograms, OpenReadSeekClose) {
    runScenario(kFileCalls);
    EXPECT_NE(result(0), 0u) << "a handle";
    EXPECT_EQ(result(4), 8u);
    EXPECT_EQ(result(8), 0x41424344u) << "ABCD";
    EXPECT_EQ(result(12), 0x45464748u) << "EFGH";
    EXPECT_EQ(result(16), 8u) << "Seek -4 from the end: the position before";
    EXPECT_EQ(result(20), 4u);
    EXPECT_EQ(result(24), 16u) << "Seek -2 from the current position: the position before";
    EXPECT_EQ(result(28), 0x4F50u) << "OP";
    EXPECT_EQ(result(32), 0u) << "Close";
    EXPECT_EQ(test::fakeFiles().openHandles, 0);
    EXPECT_EQ(test::fakeFiles().opened, std::vector<std::string>{"data\\file.bin"});
}

TEST_F(DosPrograms, LockAndCurrentDir) {
    runScenario(kDirectoryCalls);
    EXPECT_EQ(result(0), 1u) << "Lock";
    EXPECT_EQ(result(4), 0u) << "CurrentDir";
    EXPECT_NE(result(8), 0u);
    EXPECT_EQ(result(12), 0x494E4E52u) << "INNR";
    EXPECT_EQ(result(16), 0u) << "after UnLock and CurrentDir(0) the bare name is looked up alone";
    EXPECT_EQ(test::fakeFiles().opened, (std::vector<std::string>{"data\\inner.bin", "inner.bin"}));
    EXPECT_EQ(test::fakeFiles().openHandles, 0);
}

TEST_F(DosPrograms, LoadSegAndCallTheLoadedCode) {
    runScenario(kLoadSegment);
    const uint32_t segments = result(0);
    ASSERT_NE(segments, 0u);
    EXPECT_EQ(main().readLong(segments * 4 - 8), 0x43534547u) << "CSEG";
    EXPECT_EQ(result(4), 0x5345474Du) << "the code read its data hunk through a relocated address";
    EXPECT_EQ(test::fakeFiles().opened, std::vector<std::string>{"data/segment"});
    EXPECT_EQ(test::fakeFiles().openHandles, 0);
}

// A player that leaves a file open: the machine closes it when asked.
TEST_F(DosPrograms, FilesLeftOpenByCodeAreClosedByCloseOpenFiles) {
    registers().d[1] = placeString("data/file.bin");
    registers().d[2] = 1005;
    low().handlers.writeWord(m().system->dos->trapAddress(), uint16_t(-30), test::busRegionOf(low().handlers));
    EXPECT_NE(registers().d[0], 0u);
    EXPECT_EQ(test::fakeFiles().openHandles, 1);
    m().system->dos->closeOpenFiles();
    EXPECT_EQ(test::fakeFiles().openHandles, 0);
}

} // namespace
} // namespace varno
