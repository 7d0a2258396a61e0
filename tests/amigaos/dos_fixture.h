// A machine whose host records every file call dos.library makes: the paths it
// was asked to open, the handles closed, and any call with a handle it never
// gave out (which must not happen). Its handles are small numbers or, to stand
// for a 64-bit host's pointers, values that do not fit in 32 bits.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "amigaos/system.h"
#include "cpu/cpu.h"
#include "machine/amiga_machine.h"
#include "machine/cpu_context.h"
#include "machine/bus_region.h"

namespace varno::test {

struct RecordingHost {
    struct OpenFile {
        std::string data;
        uint32_t position = 0;
    };

    std::map<std::string, std::string> files;  // path -> contents
    bool openAnything = false;                 // every path opens (empty) when not in files
    uintptr_t firstHandle = 0x10;
    uintptr_t handleStep = 1;

    std::vector<std::string> opened;    // every path asked for, found or not
    std::vector<uintptr_t> closed;      // handles closed
    std::vector<uintptr_t> misused;     // handles the host never gave out, or already closed
    std::map<uintptr_t, OpenFile> open; // handles open now
    uintptr_t nextHandle = 0;

    HostFileFunctions functions{};
    HostTables tables;

    static RecordingHost*& current() {
        static RecordingHost* host = nullptr;
        return host;
    }

    RecordingHost() {
        functions.open = [](const char* path) { return current()->doOpen(path); };
        functions.close = [](HostFile f) {
            RecordingHost& h = *current();
            const auto key = reinterpret_cast<uintptr_t>(f);
            if (!h.open.erase(key)) return h.misused.push_back(key);
            h.closed.push_back(key);
        };
        functions.size = [](HostFile f) {
            OpenFile* file = current()->find(f);
            return file ? uint32_t(file->data.size()) : 0u;
        };
        functions.read = [](HostFile f, void* buffer, uint32_t bytes) {
            OpenFile* file = current()->find(f);
            if (!file) return 0u;
            const uint32_t left = uint32_t(file->data.size()) - file->position;
            const uint32_t n = bytes < left ? bytes : left;
            std::memcpy(buffer, file->data.data() + file->position, n);
            file->position += n;
            return n;
        };
        // Like the hosts we know: a position past the end is refused.
        functions.seek = [](HostFile f, uint32_t position) {
            OpenFile* file = current()->find(f);
            if (!file || position > file->data.size()) return 0;
            file->position = position;
            return 1;
        };
        functions.tell = [](HostFile f) {
            OpenFile* file = current()->find(f);
            return file ? file->position : 0u;
        };
        tables.fileFunctions = &functions;
        current() = this;
    }
    ~RecordingHost() { current() = nullptr; }
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    HostFile doOpen(const char* path) {
        opened.push_back(path);
        auto it = files.find(path);
        if (it == files.end() && !openAnything) return nullptr;
        if (nextHandle == 0) nextHandle = firstHandle;
        const uintptr_t handle = nextHandle;
        nextHandle += handleStep;
        open[handle] = OpenFile{it == files.end() ? std::string() : it->second, 0};
        return reinterpret_cast<HostFile>(handle);
    }
    OpenFile* find(HostFile f) {
        const auto key = reinterpret_cast<uintptr_t>(f);
        auto it = open.find(key);
        if (it == open.end()) {
            misused.push_back(key);
            return nullptr;
        }
        return &it->second;
    }
    // Position of the one file open under handle (for checks).
    uint32_t positionOf(uintptr_t handle) { return open.at(handle).position; }
};

// A handle value no 32-bit register can hold, as a 64-bit host hands out.
inline constexpr uintptr_t kWideHandle = sizeof(uintptr_t) > 4 ? uintptr_t(0x7F5A12340000ull) : 0;

constexpr int16_t kLvoOpen = -30;
constexpr int16_t kLvoClose = -36;
constexpr int16_t kLvoRead = -42;
constexpr int16_t kLvoSeek = -66;
constexpr int16_t kLvoLock = -84;
constexpr int16_t kLvoUnLock = -90;
constexpr int16_t kLvoCurrentDir = -126;
constexpr int16_t kLvoLoadSeg = -150;
constexpr uint32_t kModeOldFile = 1005;
constexpr uint32_t kModeNewFile = 1006;
constexpr uint32_t kModeReadWrite = 1004;
constexpr uint32_t kDosFailure = 0xFFFFFFFF;
// D0 before a call, to see whether the call set it.
constexpr uint32_t kUntouched = 0xD0D0D0D0;

// A machine and dos calls made the way a stub makes them.
class DosMachineTest : public ::testing::Test {
protected:
    void build(const HostTables* host, const char* pluginDirectory) {
        machine_.reset();
        machine_ = createMachine(host, pluginDirectory);
        ASSERT_TRUE(machine_ && machine_->system);
    }
    void destroyMachine() { machine_.reset(); }

    AmigaMachine& m() { return *machine_; }
    CpuState& registers() { return machine_->cpu->processor.cpuState; }
    CDosLibrary& dos() { return *machine_->system->dos; }
    MemoryRegion& low() { return *machine_->lowMemory; }
    MemoryRegion& main() { return *machine_->mainMemory; }

    // The LVO written to dos.library's trap word, as its vector's stub does.
    uint32_t call(int16_t lvo, uint32_t d1, uint32_t d2 = 0, uint32_t d3 = 0) {
        registers().d[0] = kUntouched;
        registers().d[1] = d1;
        registers().d[2] = d2;
        registers().d[3] = d3;
        low().handlers.writeWord(dos().trapAddress(), uint16_t(lvo), test::busRegionOf(low().handlers));
        return registers().d[0];
    }
    uint32_t placeString(const std::string& text) {
        const uint32_t at = main().allocate(uint32_t(text.size() + 1));
        EXPECT_TRUE(main().writeString(at, text.c_str()));
        return at;
    }
    uint32_t open(const std::string& name, uint32_t mode = kModeOldFile) {
        return call(kLvoOpen, placeString(name), mode);
    }
    // The bytes at address, in 68000 order.
    std::string bytesAt(uint32_t address, uint32_t length) {
        std::string out(length, '\0');
        EXPECT_TRUE(main().readBytes(address, out.data(), length));
        return out;
    }

private:
    std::unique_ptr<AmigaMachine> machine_;
};

// With the recording host, and the plugin in C:\Varno\ (as on Windows).
class DosTest : public DosMachineTest {
protected:
    void SetUp() override { build("C:\\Varno\\"); }
    void TearDown() override {
        destroyMachine();
        EXPECT_TRUE(host.open.empty()) << "host files left open after the machine is gone";
        EXPECT_TRUE(host.misused.empty()) << "a handle the host never gave out reached it";
    }
    void build(const char* pluginDirectory) { DosMachineTest::build(&host.tables, pluginDirectory); }

    RecordingHost host;
};

} // namespace varno::test
