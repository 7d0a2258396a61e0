// A whole machine and the song record it plays, for tests: a fake host whose files live in memory, the error
// messages captured instead of printed, and helpers to place and run 68000 code.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <cstring>
#include <fstream>
#include <iterator>

#include "amigaos/hunk_loader.h"
#include "machine/amiga_machine.h"
#include "machine/bus_region.h"
#include "machine/run_routine.h"
#include "session/song.h"

#ifndef VARNO_M68K_DIR
#define VARNO_M68K_DIR ""
#endif
#ifndef VARNO_HAVE_M68K
#define VARNO_HAVE_M68K 0
#endif

namespace varno::test {

// Files the fake host can open, by the exact path it is given; the paths it was
// asked for, in order.
struct FakeFiles {
    std::map<std::string, std::vector<uint8_t>> files;
    std::vector<std::string> opened;
    int openHandles = 0;
};
FakeFiles& fakeFiles();

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    AmigaMachine& m() { return *machine_; }
    Song& song() { return *song_; }
    Processor& processor() { return machine_->cpu->processor; }
    CpuState& registers() { return machine_->cpu->processor.cpuState; }
    MemoryRegion& low() { return *machine_->lowMemory; }
    MemoryRegion& main() { return *machine_->mainMemory; }

    // Places 68000 words at the main-memory cursor; returns their address.
    uint32_t placeCode(std::initializer_list<uint16_t> words);
    uint32_t placeString(const char* text);
    // Loads a hunk executable built from m68k/tests/os; returns its first code
    // address, or 0 (with a test failure) when it cannot be loaded.
    uint32_t loadProgram(const std::string& name);
    // Runs the routine at pc with the registers as they are.
    uint32_t run(uint32_t pc, uint32_t cycleLimit = kRoutineCycleLimit);

    std::vector<std::string> errors;  // faults the machine reported

private:
    std::unique_ptr<Song> song_;  // goes after the machine, which points at it
    std::unique_ptr<AmigaMachine> machine_;
};

namespace fixture_detail {

struct OpenFile {
    const std::vector<uint8_t>* data;
    uint32_t position = 0;
};

inline HostFile hostOpen(const char* path) {
    FakeFiles& f = fakeFiles();
    f.opened.push_back(path);
    auto it = f.files.find(path);
    if (it == f.files.end()) return nullptr;
    ++f.openHandles;
    return reinterpret_cast<HostFile>(new OpenFile{&it->second});
}
inline void hostClose(HostFile file) {
    if (!file) return;
    --fakeFiles().openHandles;
    delete reinterpret_cast<OpenFile*>(file);
}
inline uint32_t hostSize(HostFile file) { return uint32_t(reinterpret_cast<OpenFile*>(file)->data->size()); }
inline uint32_t hostRead(HostFile file, void* buffer, uint32_t bytes) {
    auto* f = reinterpret_cast<OpenFile*>(file);
    const uint32_t left = uint32_t(f->data->size()) - f->position;
    const uint32_t n = bytes < left ? bytes : left;
    std::memcpy(buffer, f->data->data() + f->position, n);
    f->position += n;
    return n;
}
inline int hostSeek(HostFile file, uint32_t position) {
    auto* f = reinterpret_cast<OpenFile*>(file);
    f->position = position < f->data->size() ? position : uint32_t(f->data->size());
    return 1;
}
inline uint32_t hostTell(HostFile file) { return reinterpret_cast<OpenFile*>(file)->position; }

} // namespace fixture_detail

inline FakeFiles& fakeFiles() {
    static FakeFiles files;
    return files;
}

inline const HostTables* fakeHost() {
    static HostFileFunctions fileFunctions = [] {
        HostFileFunctions f{};
        f.open = fixture_detail::hostOpen;
        f.close = fixture_detail::hostClose;
        f.size = fixture_detail::hostSize;
        f.read = fixture_detail::hostRead;
        f.seek = fixture_detail::hostSeek;
        f.tell = fixture_detail::hostTell;
        return f;
    }();
    static HostTables tables = [] {
        HostTables t;
        t.fileFunctions = &fileFunctions;
        return t;
    }();
    return &tables;
}


inline void MachineTest::SetUp() {
    fakeFiles() = FakeFiles{};
    machine_ = createMachine(fakeHost(), "/plugins/");
    ASSERT_TRUE(machine_ && machine_->cpu && machine_->system);
    song_ = std::make_unique<Song>();
    attachSong(*machine_, *song_);
    machine_->faultSink = [this](const std::string& text) { errors.push_back(text); };
}

inline void MachineTest::TearDown() {
    machine_.reset();
    EXPECT_EQ(fakeFiles().openHandles, 0) << "host files left open";
}

inline uint32_t MachineTest::placeCode(std::initializer_list<uint16_t> words) {
    const uint32_t at = main().allocate(uint32_t(2 * words.size()));
    uint32_t a = at;
    for (uint16_t w : words) main().writeWord(a, w), a += 2;
    return at;
}

inline uint32_t MachineTest::placeString(const char* text) {
    const uint32_t at = main().allocate(uint32_t(std::strlen(text) + 1));
    main().writeString(at, text);
    return at;
}

inline uint32_t MachineTest::loadProgram(const std::string& name) {
    std::ifstream in(std::string(VARNO_M68K_DIR) + "/tests/os/" + name, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const uint32_t segments = loadExecutable(main(), file.data(), file.size());
    EXPECT_NE(segments, 0u) << "cannot load " << name;
    return segments ? segments + 4 : 0;
}

inline uint32_t MachineTest::run(uint32_t pc, uint32_t cycleLimit) {
    registers().pc = pc;
    return runRoutine(*machine_->cpu, nullptr, nullptr, cycleLimit);
}

} // namespace varno::test
