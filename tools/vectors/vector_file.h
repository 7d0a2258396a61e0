// Reader for the recorded single-instruction 68000 test files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno::vectors {

struct MemoryWord {
    uint32_t address;
    uint16_t value;
};

struct ProcessorState {
    uint32_t d[8];
    uint32_t a[7];
    uint32_t usp, ssp, sr, pc;
    uint32_t prefetch[2];
    std::vector<MemoryWord> ram;
};

struct VectorTest {
    std::string name;
    ProcessorState initial, final;
    uint32_t cycles = 0;
    bool addressError = false;  // a transaction of kind 4 or 5
};

// Reads every test of a file. Returns false with `error` set when the file is malformed.
bool readVectorFile(const std::string& path, std::vector<VectorTest>& tests, std::string& error);

} // namespace varno::vectors
