// The 68000 runtime that C players link against (multiply, divide, memory functions),
// run on the 68000 core and compared with the same operations done by the host.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

#include "cpu/cpu.h"
#include "tools/hunk_reader.h"

namespace varno::test {
namespace {

constexpr std::uint32_t kMemorySize = 0x100000;
constexpr std::uint32_t kLoadAddress = 0x10000;
constexpr std::uint32_t kStackTop = 0x8000;
constexpr std::uint32_t kStopAddress = 0x400; // holds RESET, which ends a run
constexpr std::uint32_t kBuffer = 0x1000;
constexpr std::uint32_t kSentinel = 0x5A5A0000;

enum Function { kMul, kUdiv, kUmod, kDiv, kMod, kMemcpy, kMemmove, kMemset, kMemcmp, kFunctionCount };

// A flat 1 MiB RAM in the emulated layout (16-bit words in host order), the hunk file
// loaded and relocated into it by a loader of the test's own.
class RuntimeOnCore : public ::testing::Test {
protected:
    Processor processor_;
    CpuState& cpuState = processor_.cpuState;

    void SetUp() override {
        if (!VARNO_HAVE_M68K) {
            GTEST_SKIP() << "built without the m68k cross tools: no 68000 programs";
        }
        memory_ = std::make_unique<std::uint8_t[]>(kMemorySize);
        const auto base = reinterpret_cast<std::uintptr_t>(memory_.get());
        fetch_[0] = {0, kMemorySize - 1, base};
        fetch_[1] = {kListEnd, kListEnd, 0};
        data_[0] = {0, kMemorySize - 1, nullptr, nullptr, memory_.get()};
        data_[1] = {kListEnd, kListEnd, nullptr, nullptr, nullptr};
        const MapSet maps{fetch_, data_, data_, data_, data_};
        cpuState.supervisor = maps;
        cpuState.user = maps;
        cpuState.current = maps;
        cpuState.resetHandler = nullptr;
        cpuState.sr = 0x2700;
        cpuState.pendingInterrupts = 0;
        pokeWord(kStopAddress, 0x4E70);

        const auto executable =
            readExecutable(readFileBytes(std::string(VARNO_M68K_DIR) + "/tests/runtime/functions"));
        ASSERT_TRUE(executable.has_value());
        std::vector<std::uint32_t> bases;
        std::uint32_t next = kLoadAddress;
        for (const ReadHunk& hunk : executable->hunks) {
            bases.push_back(next);
            next += hunk.longs * 4;
        }
        for (std::size_t i = 0; i < executable->hunks.size(); ++i) {
            const ReadHunk& hunk = executable->hunks[i];
            for (std::size_t at = 0; at < hunk.bytes.size(); ++at) {
                pokeByte(bases[i] + static_cast<std::uint32_t>(at), hunk.bytes[at]);
            }
            for (const auto& [target, offsets] : hunk.relocations) {
                for (std::uint32_t offset : offsets) {
                    pokeLong(bases[i] + offset, peekLong(bases[i] + offset) + bases.at(target));
                }
            }
        }
        for (int f = 0; f < kFunctionCount; ++f) {
            functions_[f] = peekLong(kLoadAddress + 4 * static_cast<std::uint32_t>(f));
        }
    }

    void pokeByte(std::uint32_t address, std::uint8_t value) { memory_[address ^ 1] = value; }
    std::uint8_t peekByte(std::uint32_t address) const { return memory_[address ^ 1]; }
    void pokeWord(std::uint32_t address, std::uint16_t value) { std::memcpy(&memory_[address], &value, 2); }
    std::uint16_t peekWord(std::uint32_t address) const {
        std::uint16_t value;
        std::memcpy(&value, &memory_[address], 2);
        return value;
    }
    void pokeLong(std::uint32_t address, std::uint32_t value) {
        pokeWord(address, static_cast<std::uint16_t>(value >> 16));
        pokeWord(address + 2, static_cast<std::uint16_t>(value));
    }
    std::uint32_t peekLong(std::uint32_t address) const {
        return static_cast<std::uint32_t>(peekWord(address)) << 16 | peekWord(address + 2);
    }

    // Calls a routine the C way: arguments pushed right to left, return address on
    // top; every register the convention says is kept holds a sentinel before and
    // must hold it after.
    std::uint32_t call(Function function, std::uint32_t a, std::uint32_t b, std::uint32_t c = 0) {
        std::uint32_t sp = kStackTop - 16;
        pokeLong(sp, kStopAddress);
        pokeLong(sp + 4, a);
        pokeLong(sp + 8, b);
        pokeLong(sp + 12, c);
        for (int i = 2; i < 8; ++i) {
            cpuState.d[i] = kSentinel + static_cast<std::uint32_t>(i);
        }
        for (int i = 2; i < 7; ++i) {
            cpuState.a[i] = kSentinel + 0x10 + static_cast<std::uint32_t>(i);
        }
        cpuState.a[7] = sp;
        cpuState.pc = functions_[function];
        std::uint32_t result = RUN_BUDGET_SPENT;
        for (int slice = 0; slice < 1000 && result == RUN_BUDGET_SPENT; ++slice) {
            result = cpu::execute(processor_, 100000);
        }
        EXPECT_EQ(result, kStopAddress) << "routine did not return";
        for (int i = 2; i < 8; ++i) {
            EXPECT_EQ(cpuState.d[i], kSentinel + static_cast<std::uint32_t>(i)) << "D" << i << " not kept";
        }
        for (int i = 2; i < 7; ++i) {
            EXPECT_EQ(cpuState.a[i], kSentinel + 0x10 + static_cast<std::uint32_t>(i)) << "A" << i << " not kept";
        }
        EXPECT_EQ(cpuState.a[7], sp + 4) << "stack not balanced";
        return cpuState.d[0];
    }

    std::unique_ptr<std::uint8_t[]> memory_;
    FetchRegion fetch_[2]{};
    BusRegion data_[2]{};
    std::array<std::uint32_t, kFunctionCount> functions_{};
};

// Operands that meet every branch of the routines: word-sized divisors (two DIVU
// steps) and longer ones (the bit loop), divisors past 2^31 where the partial
// remainder overflows 32 bits, the most negative number and sign combinations.
std::vector<std::uint32_t> operands() {
    std::vector<std::uint32_t> values = {0,          1,          2,          3,          7,          10,
                                         0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x10001,    0x1FFFF,
                                         0x12345678, 0x7FFFFFFF, 0x80000000, 0x80000001, 0x90000000, 0xFFFF0000,
                                         0xFFFFFFFE, 0xFFFFFFFF, 0xFFFE0001, 100000,     0x00FFFFFF};
    std::uint32_t state = 12345;
    for (int i = 0; i < 40; ++i) {
        state = state * 1103515245u + 12345u;
        const std::uint32_t high = state;
        state = state * 1103515245u + 12345u;
        values.push_back((high & 0xFFFF0000) | (state >> 16) >> (i % 3 * 8));
    }
    return values;
}

std::int32_t asSigned(std::uint32_t value) { return static_cast<std::int32_t>(value); }

TEST_F(RuntimeOnCore, MultipliesAndDividesLikeTheHost) {
    const auto values = operands();
    for (std::uint32_t a : values) {
        for (std::uint32_t b : values) {
            SCOPED_TRACE(::testing::Message() << std::hex << "a=0x" << a << " b=0x" << b);
            EXPECT_EQ(call(kMul, a, b), a * b);
            if (b == 0) {
                continue; // below
            }
            EXPECT_EQ(call(kUdiv, a, b), a / b);
            EXPECT_EQ(call(kUmod, a, b), a % b);
            if (a == 0x80000000 && b == 0xFFFFFFFF) {
                // The one overflowing quotient: it wraps, as the host's two's complement would.
                EXPECT_EQ(call(kDiv, a, b), 0x80000000u);
                EXPECT_EQ(call(kMod, a, b), 0u);
                continue;
            }
            EXPECT_EQ(call(kDiv, a, b), static_cast<std::uint32_t>(asSigned(a) / asSigned(b)));
            EXPECT_EQ(call(kMod, a, b), static_cast<std::uint32_t>(asSigned(a) % asSigned(b)));
        }
    }
}

// Division by zero must not raise the 68000's divide exception (that would end the
// player with a fault); the results are the documented ones.
TEST_F(RuntimeOnCore, DividesByZeroWithoutATrap) {
    for (std::uint32_t a : {0u, 5u, 0x80000000u, 0xFFFFFFFBu}) {
        SCOPED_TRACE(a);
        EXPECT_EQ(call(kUdiv, a, 0), 0xFFFFFFFFu);
        EXPECT_EQ(call(kUmod, a, 0), a);
        EXPECT_EQ(call(kDiv, a, 0), asSigned(a) < 0 ? 1u : 0xFFFFFFFFu);
        EXPECT_EQ(call(kMod, a, 0), a);
    }
}

TEST_F(RuntimeOnCore, CopiesSetsAndComparesMemory) {
    auto fill = [&] {
        for (std::uint32_t i = 0; i < 64; ++i) {
            pokeByte(kBuffer + i, static_cast<std::uint8_t>(i + 1));
        }
    };
    auto bytes = [&](std::uint32_t from, std::uint32_t count) {
        std::vector<int> result;
        for (std::uint32_t i = 0; i < count; ++i) {
            result.push_back(peekByte(from + i));
        }
        return result;
    };

    fill(); // overlapping, destination above the source: must copy from the end
    EXPECT_EQ(call(kMemmove, kBuffer + 3, kBuffer, 6), kBuffer + 3);
    EXPECT_EQ(cpuState.a[0], kBuffer + 3);
    EXPECT_EQ(bytes(kBuffer, 10), (std::vector<int>{1, 2, 3, 1, 2, 3, 4, 5, 6, 10}));

    fill(); // overlapping, destination below the source
    EXPECT_EQ(call(kMemcpy, kBuffer, kBuffer + 2, 5), kBuffer);
    EXPECT_EQ(bytes(kBuffer, 8), (std::vector<int>{3, 4, 5, 6, 7, 6, 7, 8}));

    fill(); // odd addresses and a zero length
    EXPECT_EQ(call(kMemset, kBuffer + 1, 0x1AB, 3), kBuffer + 1);
    EXPECT_EQ(cpuState.a[0], kBuffer + 1);
    EXPECT_EQ(bytes(kBuffer, 6), (std::vector<int>{1, 0xAB, 0xAB, 0xAB, 5, 6}));
    call(kMemset, kBuffer, 0, 0);
    EXPECT_EQ(peekByte(kBuffer), 1);

    fill();
    EXPECT_EQ(call(kMemcmp, kBuffer, kBuffer, 64), 0u);
    pokeByte(kBuffer + 40, 0x80); // 0x80 > 0x29 read unsigned
    EXPECT_GT(asSigned(call(kMemcmp, kBuffer + 40, kBuffer + 41, 1)), 0);
    EXPECT_LT(asSigned(call(kMemcmp, kBuffer + 39, kBuffer + 40, 2)), 0);
    EXPECT_EQ(call(kMemcmp, kBuffer + 1, kBuffer + 2, 0), 0u);
}

} // namespace
} // namespace varno::test
