// A small machine for core tests: RAM at 0x000000-0x0FFFFF (fetch and data) and a
// device at 0xDFF000-0xDFFFFF whose handlers record every access. Vectors 2-255 lead
// to 0xF80000 + 4n, outside every region, as in the player machine.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <vector>

#include "cpu/cpu.h"

namespace varno::test {

struct Access {
    char kind;  // 'b' byte read, 'w' word read, 'B' byte write, 'W' word write
    uint32_t address;
    uint32_t value;
    bool operator==(const Access&) const = default;
};

class TestMachine {
public:
    static constexpr uint32_t kRamSize = 0x100000;
    static constexpr uint32_t kDevice = 0xDFF000;
    static constexpr uint32_t kTrapBase = 0xF80000;

    static inline std::vector<Access> accesses;
    static inline uint32_t deviceValue = 0x1234;           // what device reads return
    static inline std::function<void(const Access&)> onAccess;  // runs inside the handler

    TestMachine() : ram_(kRamSize / 2 + 1) {
        accesses.clear();
        deviceValue = 0x1234;
        onAccess = nullptr;
        uintptr_t base = reinterpret_cast<uintptr_t>(ram_.data());
        fetch_[0] = {0, kRamSize - 1, base};
        fetch_[1] = {kListEnd, kListEnd, 0};
        auto* bytes = reinterpret_cast<uint8_t*>(ram_.data());
        readByte_[0] = readWord_[0] = writeByte_[0] = writeWord_[0] = {0, kRamSize - 1, nullptr, nullptr, bytes};
        readByte_[1] = {kDevice, kDevice + 0xFFF, &deviceReadByte, nullptr, nullptr};
        readWord_[1] = {kDevice, kDevice + 0xFFF, &deviceReadWord, nullptr, nullptr};
        writeByte_[1] = {kDevice, kDevice + 0xFFF, nullptr, &deviceWriteByte, nullptr};
        writeWord_[1] = {kDevice, kDevice + 0xFFF, nullptr, &deviceWriteWord, nullptr};
        for (auto* list : {readByte_, readWord_, writeByte_, writeWord_}) list[2] = {kListEnd, kListEnd, nullptr, nullptr, nullptr};
        MapSet maps{fetch_, readByte_, readWord_, writeByte_, writeWord_};
        cpuState = CpuState{};
        cpuState.supervisor = maps;
        cpuState.user = maps;
        cpuState.current = maps;
        cpu::suppressTrace(processor, false);
        for (uint32_t n = 2; n < 256; ++n) put32(4 * n, kTrapBase + 4 * n);
    }
    ~TestMachine() { onAccess = nullptr; }
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    Processor processor;
    CpuState& cpuState = processor.cpuState;

    MapSet maps() const { return cpuState.supervisor; }

    void put16(uint32_t address, uint16_t value) { std::memcpy(bytes() + address, &value, 2); }
    void put32(uint32_t address, uint32_t value) {
        put16(address, static_cast<uint16_t>(value >> 16));
        put16(address + 2, static_cast<uint16_t>(value));
    }
    void put8(uint32_t address, uint8_t value) { bytes()[address ^ 1] = value; }
    uint16_t get16(uint32_t address) const {
        uint16_t value;
        std::memcpy(&value, bytes() + address, 2);
        return value;
    }
    uint32_t get32(uint32_t address) const { return static_cast<uint32_t>(get16(address)) << 16 | get16(address + 2); }
    uint8_t get8(uint32_t address) const { return bytes()[address ^ 1]; }
    void code(uint32_t address, std::initializer_list<uint16_t> words) {
        for (uint16_t word : words) {
            put16(address, word);
            address += 2;
        }
    }

    // Registers as after a call set-up: supervisor mode, mask 7 unless given.
    void start(uint32_t pc, uint16_t sr = 0x2700, uint32_t ssp = 0x8000, uint32_t usp = 0x6000) {
        cpuState.pc = pc;
        cpuState.sr = sr;
        bool super = sr & SR_S;
        cpuState.a[7] = super ? ssp : usp;
        cpuState.otherStackPointer = super ? usp : ssp;
        cpuState.current = super ? cpuState.supervisor : cpuState.user;
        cpuState.pendingInterrupts = 0;
        cpu::takeCycles(processor);
    }

    // Runs one instruction; returns the cycles it took.
    uint32_t step() {
        cpu::execute(processor, 1);
        return cpu::takeCycles(processor);
    }

    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(ram_.data()); }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(ram_.data()); }

    static void record(Access access) {
        accesses.push_back(access);
        if (onAccess) onAccess(access);
    }
    static uint32_t deviceReadByte(uint32_t address, const BusRegion&) {
        record({'b', address, 0});
        return deviceValue & 0xFF;
    }
    static uint32_t deviceReadWord(uint32_t address, const BusRegion&) {
        record({'w', address, 0});
        return deviceValue;
    }
    static void deviceWriteByte(uint32_t address, uint32_t value, const BusRegion&) { record({'B', address, value}); }
    static void deviceWriteWord(uint32_t address, uint32_t value, const BusRegion&) { record({'W', address, value}); }

private:
    std::vector<uint16_t> ram_;
    FetchRegion fetch_[2];
    BusRegion readByte_[3], readWord_[3], writeByte_[3], writeWord_[3];
};

} // namespace varno::test
