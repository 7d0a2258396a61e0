// The host paths dos.library makes of the names players give: the current
// directory, EaglePlayer's configuration directory, separators, access modes,
// and names or paths too long for their buffers.
#include "amigaos/dos_fixture.h"

namespace varno::test {
namespace {

struct OpenCase {
    const char* directory;  // made current through Lock and CurrentDir first ("" for none)
    const char* name;
    uint32_t mode;
    const char* hostPath;   // what the host is asked to open; null: it is not asked
};

// The plugin lives in C:\Varno\ here.
const OpenCase kOpenCases[] = {
    {"", "env:eagleplayer/abc", kModeOldFile, "C:\\Varno\\xmp-varno.env|abc"},
    {"", "ENV:EaglePlayer/EP-Test.cfg", kModeOldFile, "C:\\Varno\\xmp-varno.env|EP-Test.cfg"},
    {"", "env:eagleplayer/sub/x.cfg", kModeOldFile, "C:\\Varno\\xmp-varno.env|sub\\x.cfg"},
    {"", "env:eagleplayer\\x.cfg", kModeOldFile, "C:\\Varno\\xmp-varno.env|x.cfg"},
    {"", "env:eagleplayer", kModeOldFile, "C:\\Varno\\xmp-varno.env|"},
    {"", "env:eagleplayer2/x.cfg", kModeOldFile, "env:eagleplayer2\\x.cfg"},
    {"", "env:other/x.cfg", kModeOldFile, "env:other\\x.cfg"},
    {"env:eagleplayer/", "x.cfg", kModeOldFile, "C:\\Varno\\xmp-varno.env|x.cfg"},
    {"", "Mods/Songs/a.mod", kModeOldFile, "Mods\\Songs\\a.mod"},
    {"", "Mods\\a.mod", kModeOldFile, "Mods\\a.mod"},
    {"", "Mods/a.mod", kModeNewFile, nullptr},
    {"", "Mods/a.mod", kModeReadWrite, nullptr},
    {"", "Mods/a.mod", 0, nullptr},
    {"", "env:eagleplayer/abc", kModeNewFile, nullptr},
    {"", "http://example.org/mods\\a.mod", kModeOldFile, "http://example.org/mods/a.mod"},
    {"", "ftp://h/x\\arc.zip|in/a.smp", kModeOldFile, "ftp://h/x/arc.zip|in\\a.smp"},
    {"", "C:/mods/arc.zip|songs/x.smp", kModeOldFile, "C:\\mods\\arc.zip|songs\\x.smp"},
    {"", "a|b|c/d", kModeOldFile, "a|b|c\\d"},
    {"", "", kModeOldFile, nullptr},
    {"C:\\mods\\", "instr/a.ins", kModeOldFile, "C:\\mods\\instr\\a.ins"},
    {"C:/mods/", "", kModeOldFile, "C:\\mods\\"},
    {"http://example.org/", "sub\\a.smp", kModeOldFile, "http://example.org/sub/a.smp"},
};

TEST_F(DosTest, OpenAsksTheHostForTheMappedPath) {
    host.openAnything = true;
    for (const OpenCase& c : kOpenCases) {
        SCOPED_TRACE(std::string(c.directory) + " + " + c.name + " mode " + std::to_string(c.mode));
        host.opened.clear();
        call(kLvoUnLock, 1);
        call(kLvoCurrentDir, 1);  // no directory, so that the Lock below is not relative
        EXPECT_EQ(call(kLvoLock, placeString(c.directory), uint32_t(-2)), 1u);
        EXPECT_EQ(call(kLvoCurrentDir, 1), 0u);
        const uint32_t handle = open(c.name, c.mode);
        if (c.hostPath) {
            ASSERT_EQ(host.opened.size(), 1u);
            EXPECT_EQ(host.opened[0], c.hostPath);
            EXPECT_NE(handle, 0u);
            EXPECT_EQ(call(kLvoClose, handle), 0u);
        } else {
            EXPECT_TRUE(host.opened.empty()) << host.opened[0];
            EXPECT_EQ(handle, 0u);
        }
    }
    EXPECT_TRUE(host.open.empty());
}

TEST_F(DosTest, AFileTheHostCannotOpenGivesZero) {
    EXPECT_EQ(open("Mods/missing.smp"), 0u);
    ASSERT_EQ(host.opened.size(), 1u);
    EXPECT_EQ(host.opened[0], "Mods\\missing.smp");
    EXPECT_EQ(dos().openFileCount(), 0u);
}

// The usual sequence: Lock(directory), CurrentDir(lock), then bare names.
TEST_F(DosTest, LockThenCurrentDirPutsTheDirectoryInFrontOfLaterNames) {
    host.openAnything = true;
    EXPECT_EQ(call(kLvoLock, placeString("Work:Songs/"), uint32_t(-2)), 1u);
    EXPECT_EQ(open("first.smp"), 0u + host.firstHandle) << "Lock alone does not change the directory";
    EXPECT_EQ(call(kLvoCurrentDir, 1), 0u);
    const uint32_t second = open("second.smp");
    EXPECT_NE(second, 0u);
    ASSERT_EQ(host.opened.size(), 2u);
    EXPECT_EQ(host.opened[0], "first.smp");
    EXPECT_EQ(host.opened[1], "Work:Songs\\second.smp");
    EXPECT_STREQ(dos().currentDirectory, "Work:Songs/") << "kept as given; converted only when opening";

    // A Lock relative to the current directory nests.
    EXPECT_EQ(call(kLvoLock, placeString("Instr/"), uint32_t(-2)), 1u);
    EXPECT_EQ(call(kLvoCurrentDir, 1), 0u);
    open("piano.ins");
    EXPECT_EQ(host.opened.back(), "Work:Songs\\Instr\\piano.ins");

    // UnLock forgets the locked directory; CurrentDir then goes back to none.
    registers().d[0] = 0x1234;
    registers().d[1] = 1;
    low().handlers.writeWord(dos().trapAddress(), uint16_t(kLvoUnLock), test::busRegionOf(low().handlers));
    EXPECT_EQ(registers().d[0], 0x1234u) << "UnLock leaves D0 alone";
    EXPECT_EQ(call(kLvoCurrentDir, 0), 0u);
    open("third.smp");
    EXPECT_EQ(host.opened.back(), "third.smp");
    call(kLvoClose, 0x10);
    call(kLvoClose, 0x11);
    call(kLvoClose, 0x12);
    call(kLvoClose, 0x13);
    EXPECT_EQ(dos().openFileCount(), 0u);
}

// Calls the library does not serve leave every register as it was and never reach the host.
TEST_F(DosTest, OtherVectorsDoNothing) {
    host.openAnything = true;
    const uint32_t name = placeString("file");
    for (int16_t lvo : {-6, -12, -18, -24, -48, -54, -60, -72, -78, -96, -102, -132, -156, -996}) {
        SCOPED_TRACE(lvo);
        for (int i = 0; i < 8; ++i) registers().d[i] = 0x1000 * i + 7, registers().a[i] = 0x2000 * i + 9;
        registers().d[1] = name;
        registers().d[2] = kModeOldFile;
        const CpuState before = registers();
        low().handlers.writeWord(dos().trapAddress(), uint16_t(lvo), test::busRegionOf(low().handlers));
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(registers().d[i], before.d[i]) << "D" << i;
            EXPECT_EQ(registers().a[i], before.a[i]) << "A" << i;
        }
    }
    EXPECT_TRUE(host.opened.empty());
}

struct LengthCase {
    size_t directory;  // characters of the current directory
    size_t name;       // characters of the name
    bool opened;
};

// A path holds 511 characters and its terminator; anything longer is refused
// whole rather than cut into the name of another file.
const LengthCase kLengthCases[] = {
    {0, 511, true},    {0, 512, false},   {0, 600, false}, {300, 211, true},
    {300, 212, false}, {511, 0, true},    {511, 1, false}, {256, 256, false},
};

TEST_F(DosTest, PathsLongerThanTheirBufferAreRefused) {
    host.openAnything = true;
    for (const LengthCase& c : kLengthCases) {
        SCOPED_TRACE(std::to_string(c.directory) + " + " + std::to_string(c.name));
        host.opened.clear();
        const std::string directory(c.directory, 'd');
        const std::string name(c.name, 'n');
        ASSERT_EQ(call(kLvoLock, placeString(directory), 0), 1u);
        call(kLvoCurrentDir, 1);
        const uint32_t handle = open(name);
        if (c.opened) {
            ASSERT_EQ(host.opened.size(), 1u);
            EXPECT_EQ(host.opened[0], directory + name);
            EXPECT_NE(handle, 0u);
            call(kLvoClose, handle);
        } else {
            EXPECT_TRUE(host.opened.empty());
            EXPECT_EQ(handle, 0u);
        }
        call(kLvoLoadSeg, placeString(name));
        EXPECT_EQ(host.opened.size(), c.opened ? 2u : 0u) << "LoadSeg builds its path the same way";
        call(kLvoUnLock, 1);
        call(kLvoCurrentDir, 1);
    }
}

TEST_F(DosTest, ALockTooLongForTheBufferFailsAndKeepsTheLastOne) {
    EXPECT_EQ(call(kLvoLock, placeString("Songs/"), 0), 1u);
    EXPECT_EQ(call(kLvoLock, placeString(std::string(512, 'x')), 0), 0u);
    EXPECT_STREQ(dos().savedDirectory, "Songs/");
    call(kLvoCurrentDir, 1);
    EXPECT_EQ(call(kLvoLock, placeString(std::string(506, 'y')), 0), 0u) << "with Songs/ in front: 512";
    EXPECT_EQ(call(kLvoLock, placeString(std::string(505, 'y')), 0), 1u);
    EXPECT_EQ(std::string(dos().savedDirectory), "Songs/" + std::string(505, 'y'));
}

// The mapped path is plugin directory + "xmp-varno.env|" + entry; it must fit as well.
TEST_F(DosTest, AnEnvironmentPathTooLongForTheBufferIsRefused) {
    const std::string plugin = "C:\\" + std::string(480, 'p') + "\\";  // 484 characters
    build(plugin.c_str());
    host.openAnything = true;
    const std::string fits(511 - 484 - 14, 'e');
    EXPECT_NE(open("env:eagleplayer/" + fits), 0u);
    ASSERT_EQ(host.opened.size(), 1u);
    EXPECT_EQ(host.opened[0], plugin + "xmp-varno.env|" + fits);
    EXPECT_EQ(open("env:eagleplayer/" + fits + "e"), 0u);
    EXPECT_EQ(host.opened.size(), 1u);
    dos().closeOpenFiles();
}

struct NamePlacement {
    const char* what;
    uint32_t address;
    std::string bytes;      // written at address as they are (no terminator added)
    const char* hostPath;   // null: the host is not asked
};

TEST_F(DosTest, NamesAreReadFromMainAndLowMemoryOnly) {
    host.openAnything = true;
    const uint32_t mainEnd = main().base + main().size;
    const uint32_t deliPath = m().system->deliBase->base + 600;  // a free stretch of low memory
    const NamePlacement cases[] = {
        {"main memory", 0x30000, std::string("a.smp\0", 6), "a.smp"},
        {"low memory", deliPath, std::string("low/b.smp\0", 10), "low\\b.smp"},
        {"ending with the last byte of main memory", mainEnd - 6, std::string("c.smp\0", 6), "c.smp"},
        {"running off the end of main memory", mainEnd - 5, "c.smp", nullptr},
        {"running off the end of low memory", 0x1FFFC, "d.sm", nullptr},
        {"511 characters and no terminator after them", 0x40000, std::string(512, 'x'), nullptr},
        {"outside both: an empty name", 0xC00000, "", nullptr},
        {"outside both, high bits set", 0xFFFFFFFE, "", nullptr},
    };
    for (const NamePlacement& c : cases) {
        SCOPED_TRACE(c.what);
        host.opened.clear();
        MemoryRegion& region = main().contains(c.address) ? main() : low();
        if (!c.bytes.empty()) {
            ASSERT_TRUE(region.writeBytes(c.address, c.bytes.data(), uint32_t(c.bytes.size())));
        }
        const uint32_t handle = call(kLvoOpen, c.address, kModeOldFile);
        if (c.hostPath) {
            ASSERT_EQ(host.opened.size(), 1u);
            EXPECT_EQ(host.opened[0], c.hostPath);
            call(kLvoClose, handle);
        } else {
            EXPECT_TRUE(host.opened.empty()) << host.opened[0];
            EXPECT_EQ(handle, 0u);
        }
    }
}

} // namespace
} // namespace varno::test
