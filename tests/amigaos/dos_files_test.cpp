// dos.library file handles: what 68000 code is given for a host file, Close,
// Read and Seek with good and bad arguments, and files players leave open.
#include "amigaos/dos_fixture.h"

namespace varno::test {
namespace {

// 1000 bytes whose values are easy to work out: byte i is (i * 7 + 3) mod 256.
std::string thousandBytes() {
    std::string s(1000, '\0');
    for (size_t i = 0; i < s.size(); ++i) s[i] = char((i * 7 + 3) & 0xFF);
    return s;
}

class DosFiles : public DosTest {
protected:
    void SetUp() override {
        DosTest::SetUp();
        host.files["song.smp"] = thousandBytes();
        host.files["other.smp"] = "OTHER";
    }
};

TEST_F(DosFiles, SmallHostHandlesReachPlayersUnchanged) {
    host.firstHandle = 0x7FFFFFF0;
    EXPECT_EQ(open("song.smp"), 0x7FFFFFF0u);
    EXPECT_EQ(open("other.smp"), 0x7FFFFFF1u);
    EXPECT_EQ(call(kLvoClose, 0x7FFFFFF0), 0u);
    EXPECT_EQ(call(kLvoClose, 0x7FFFFFF1), 0u);
    EXPECT_EQ(host.closed, (std::vector<uintptr_t>{0x7FFFFFF0, 0x7FFFFFF1}));
}

// A 64-bit host's handles do not fit in a register: players get other values,
// and every call with them reaches the right host file.
TEST_F(DosFiles, WideHostHandlesAreNeverTruncated) {
    if (kWideHandle == 0) GTEST_SKIP() << "host handles are 32 bits wide here";
    host.firstHandle = kWideHandle;
    host.handleStep = uintptr_t(0x100000000ull);  // the same low 32 bits for every handle
    const uint32_t song = open("song.smp");
    const uint32_t other = open("other.smp");
    EXPECT_NE(song, 0u);
    EXPECT_NE(other, 0u);
    EXPECT_NE(song, other);
    EXPECT_NE(song, uint32_t(kWideHandle)) << "not the truncated pointer";

    const uint32_t buffer = main().allocate(8);
    EXPECT_EQ(call(kLvoRead, other, buffer, 8), 5u);
    EXPECT_EQ(bytesAt(buffer, 5), "OTHER");
    EXPECT_EQ(call(kLvoRead, song, buffer, 2), 2u);
    EXPECT_EQ(bytesAt(buffer, 2), std::string("\x03\x0A", 2));

    EXPECT_EQ(call(kLvoClose, uint32_t(kWideHandle)), 0u) << "the truncated value names no file";
    EXPECT_TRUE(host.closed.empty());
    EXPECT_EQ(call(kLvoClose, other), 0u);
    ASSERT_EQ(host.closed.size(), 1u);
    EXPECT_EQ(host.closed[0], kWideHandle + 0x100000000ull);
    EXPECT_EQ(call(kLvoRead, other, buffer, 8), 0u) << "closed";
    call(kLvoClose, song);
}

// Values handed out are unique among open files even when a host handle that
// fits in 32 bits equals a token already given for a wide one.
TEST_F(DosFiles, AHostHandleEqualToALiveTokenGetsAValueOfItsOwn) {
    if (kWideHandle == 0) GTEST_SKIP() << "host handles are 32 bits wide here";
    host.firstHandle = kWideHandle;
    const uint32_t song = open("song.smp");
    ASSERT_NE(song, 0u);
    host.nextHandle = song;  // the host's next handle is numerically the token
    const uint32_t other = open("other.smp");
    ASSERT_NE(other, 0u);
    EXPECT_NE(other, song);
    const uint32_t buffer = main().allocate(8);
    EXPECT_EQ(call(kLvoRead, other, buffer, 5), 5u);
    EXPECT_EQ(bytesAt(buffer, 5), "OTHER");
    EXPECT_EQ(call(kLvoRead, song, buffer, 1), 1u);
    EXPECT_EQ(bytesAt(buffer, 1), "\x03");
    call(kLvoClose, song);
    EXPECT_EQ(host.closed, std::vector<uintptr_t>{kWideHandle});
    call(kLvoClose, other);
    EXPECT_EQ(host.closed.back(), uintptr_t(song));
}

// Values a player invents, keeps after Close or corrupts never reach the host.
TEST_F(DosFiles, UnknownHandlesNeverReachTheHost) {
    const uint32_t song = open("song.smp");
    ASSERT_NE(song, 0u);
    EXPECT_EQ(call(kLvoClose, song), 0u);
    const uint32_t buffer = main().allocate(16);
    for (uint32_t bad : {0u, song, song + 1, 0x12345u, 0xFFFFFFFFu, 0x01000000u}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(call(kLvoClose, bad), 0u);
        EXPECT_EQ(call(kLvoRead, bad, buffer, 16), 0u);
        EXPECT_EQ(call(kLvoSeek, bad, 0, uint32_t(-1)), kDosFailure);
    }
    EXPECT_EQ(host.closed.size(), 1u) << "only the one real Close";
}

TEST_F(DosFiles, ReadCopiesTheFileInto68000Memory) {
    const uint32_t song = open("song.smp");
    const uint32_t buffer = main().allocate(1000);
    EXPECT_EQ(call(kLvoRead, song, buffer, 3), 3u);
    EXPECT_EQ(main().readByte(buffer), 3);
    EXPECT_EQ(main().readByte(buffer + 1), 10);
    EXPECT_EQ(main().readByte(buffer + 2), 17);
    // A word read by 68000 code sees the file's bytes in file order.
    EXPECT_EQ(call(kLvoRead, song, buffer, 2), 2u);
    EXPECT_EQ(main().readWord(buffer), (24u << 8) | 31u);
    // More than is left: the rest, crossing the host copy's chunk boundaries.
    EXPECT_EQ(call(kLvoRead, song, buffer, 0x7FFFF), 995u);
    EXPECT_EQ(bytesAt(buffer, 995), thousandBytes().substr(5));
    EXPECT_EQ(call(kLvoRead, song, buffer, 10), 0u) << "end of file";
    call(kLvoClose, song);
}

struct ReadCase {
    const char* what;
    uint32_t startAt;   // file position before the Read
    int64_t buffer;     // negative: that many bytes before the end of main memory
    uint32_t length;
    uint32_t result;    // D0, which is also how far the position moves
};

const ReadCase kReadCases[] = {
    {"length 0", 0, 0x30000, 0, 0},
    {"length at the limit", 0, 0x30000, 0x7FFFF, 1000},
    {"one above the limit", 0, 0x30000, 0x80000, 0},
    {"absurd length", 0, 0x30000, 0xFFFFFFFF, 0},
    {"negative length", 0, 0x30000, 0x80000000, 0},
    {"buffer running past main memory", 0, -8, 16, 0},
    {"buffer past main memory, but the file has only what fits", 992, -8, 100, 8},
    {"buffer past main memory at the end of the file", 1000, -8, 100, 0},
    {"buffer in low memory", 0, 0x10000, 4, 0},
    {"buffer outside memory", 0, 0xC00000, 4, 0},
    {"buffer wrapping round the address space", 0, 0xFFFFFFF0, 32, 0},
    {"buffer ending with the last byte of main memory", 0, -16, 16, 16},
};

TEST_F(DosFiles, ReadRefusesWhatItCannotDeliverWhole) {
    const uint32_t mainEnd = main().base + main().size;
    const std::string file = thousandBytes();
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.what);
        const uint32_t song = open("song.smp");
        ASSERT_EQ(call(kLvoSeek, song, c.startAt, uint32_t(-1)), 0u);
        const uint32_t buffer = c.buffer < 0 ? uint32_t(mainEnd + c.buffer) : uint32_t(c.buffer);
        // What lies there before, to see that a refused Read writes nothing.
        if (main().contains(buffer)) main().fill(buffer, 0xEE, std::min<uint32_t>(16, mainEnd - buffer));
        if (low().contains(buffer)) low().fill(buffer, 0xEE, 4);

        EXPECT_EQ(call(kLvoRead, song, buffer, c.length), c.result);
        EXPECT_EQ(host.positionOf(uintptr_t(song)), c.startAt + c.result);
        if (c.result) {
            EXPECT_EQ(bytesAt(buffer, c.result), file.substr(c.startAt, c.result));
        } else if (main().contains(buffer)) {
            EXPECT_EQ(main().readByte(buffer), 0xEE);
        } else if (low().contains(buffer)) {
            EXPECT_EQ(low().readLong(buffer), 0xEEEEEEEEu);
        }
        call(kLvoClose, song);
    }
}

struct SeekCase {
    uint32_t startAt;
    int32_t position;
    int32_t mode;
    uint32_t result;     // D0: the position before, or -1
    uint32_t endsAt;     // the file position afterwards
};

// On the 1000-byte file. Modes: -1 from the beginning, 0 from the current
// position, 1 from the end; any other mode rewinds.
const SeekCase kSeekCases[] = {
    {0, -4, 1, 0, 996},
    {300, 0, 5, 300, 0},
    {300, 77, -2, 300, 0},
    {300, 100, -1, 300, 100},
    {300, 0, -1, 300, 0},
    {300, 1000, -1, 300, 1000},
    {300, -100, 0, 300, 200},
    {300, 700, 0, 300, 1000},
    {300, 0, 0, 300, 300},
    {300, 0, 1, 300, 1000},
    {300, -1000, 1, 300, 0},
    {300, -1, -1, kDosFailure, 300},
    {300, -301, 0, kDosFailure, 300},
    {300, -1001, 1, kDosFailure, 300},
    {300, 1, 1, kDosFailure, 300},
    {300, 1001, -1, kDosFailure, 300},
    {300, INT32_MIN, 0, kDosFailure, 300},
    {300, INT32_MAX, 1, kDosFailure, 300},
};

TEST_F(DosFiles, SeekMovesByModeAndReportsThePositionBefore) {
    const uint32_t song = open("song.smp");
    for (const SeekCase& c : kSeekCases) {
        SCOPED_TRACE(std::to_string(c.startAt) + " seek " + std::to_string(c.position) + " mode " +
                     std::to_string(c.mode));
        ASSERT_EQ(call(kLvoSeek, song, c.startAt, uint32_t(-1)), host.positionOf(uintptr_t(song)));
        EXPECT_EQ(call(kLvoSeek, song, uint32_t(c.position), uint32_t(c.mode)), c.result);
        EXPECT_EQ(host.positionOf(uintptr_t(song)), c.endsAt);
    }
    // Where Seek leaves the file is where the next Read starts.
    const uint32_t buffer = main().allocate(4);
    call(kLvoSeek, song, uint32_t(-4), 1);
    EXPECT_EQ(call(kLvoRead, song, buffer, 4), 4u);
    EXPECT_EQ(bytesAt(buffer, 4), thousandBytes().substr(996));
    call(kLvoClose, song);
}

TEST_F(DosFiles, CloseOpenFilesClosesWhatPlayersLeftOpen) {
    const uint32_t song = open("song.smp");
    const uint32_t other = open("other.smp");
    open("song.smp");
    EXPECT_EQ(call(kLvoClose, other), 0u);
    EXPECT_EQ(dos().openFileCount(), 2u);
    EXPECT_EQ(host.open.size(), 2u);

    dos().closeOpenFiles();
    EXPECT_TRUE(host.open.empty());
    EXPECT_EQ(host.closed.size(), 3u);
    EXPECT_EQ(dos().openFileCount(), 0u);
    EXPECT_EQ(call(kLvoClose, song), 0u) << "a player closing afterwards reaches nothing";
    EXPECT_EQ(host.closed.size(), 3u);
    dos().closeOpenFiles();
    EXPECT_EQ(host.closed.size(), 3u);
}

// TearDown checks that the host has nothing open once the machine is gone.
TEST_F(DosFiles, FilesLeftOpenAreClosedWithTheMachine) {
    open("song.smp");
    open("other.smp");
    EXPECT_EQ(host.open.size(), 2u);
}

TEST_F(DosFiles, OpeningMoreFilesThanTheTableHoldsFailsCleanly) {
    std::vector<uint32_t> handles;
    for (size_t i = 0; i < HostFileTable::kCapacity; ++i) {
        handles.push_back(open("other.smp"));
        ASSERT_NE(handles.back(), 0u);
    }
    EXPECT_EQ(open("song.smp"), 0u);
    EXPECT_EQ(host.open.size(), HostFileTable::kCapacity) << "the file that did not fit went back to the host";
    EXPECT_EQ(call(kLvoClose, handles[7]), 0u);
    EXPECT_NE(open("song.smp"), 0u) << "room again after a Close";
    dos().closeOpenFiles();
}

} // namespace
} // namespace varno::test

namespace varno::test {
namespace {

// MOVEQ #1,D0 / RTS / NOP / NOP as one code hunk of two longs.
const char kTinyExecutable[] = "\0\0\x03\xF3" "\0\0\0\0" "\0\0\0\x01" "\0\0\0\0" "\0\0\0\0" "\0\0\0\x02"
                               "\0\0\x03\xE9" "\0\0\0\x02" "\x70\x01\x4E\x75" "\x4E\x71\x4E\x71" "\0\0\x03\xF2";

TEST_F(DosFiles, LoadSegOfWhatCannotFitInMemoryGivesZero) {
    host.files["tiny"] = std::string(kTinyExecutable, sizeof kTinyExecutable - 1);
    host.files["huge"] = std::string(kTinyExecutable, sizeof kTinyExecutable - 1) + std::string(main().size, '\0');
    const uint32_t tiny = placeString("tiny");
    const uint32_t huge = placeString("huge");

    EXPECT_EQ(call(kLvoLoadSeg, huge), 0u) << "larger than all of main memory";
    const uint32_t end = main().base + main().size;
    main().cursor = end - 18;  // the tiny one needs 20 bytes
    EXPECT_EQ(call(kLvoLoadSeg, tiny), 0u);
    EXPECT_EQ(main().cursor, end - 18);
    main().cursor = end - 20;
    EXPECT_EQ(call(kLvoLoadSeg, tiny), (end - 20 + 8) / 4);
    EXPECT_EQ(main().readLong(end - 8), 0x70014E75u);
    EXPECT_EQ(host.closed.size(), 3u) << "every file LoadSeg opened went back";
    EXPECT_TRUE(host.open.empty());
}

} // namespace
} // namespace varno::test
