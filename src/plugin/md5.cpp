#include "plugin/md5.h"

#include <array>
#include <cmath>
#include <cstring>

namespace varno {

namespace {

constexpr uint32_t kShifts[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                  5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                  4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                  6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

// K[i] = floor(2^32 * |sin(i + 1)|), as RFC 1321 defines the table.
const std::array<uint32_t, 64>& constants() {
    static const std::array<uint32_t, 64> k = [] {
        std::array<uint32_t, 64> t{};
        for (int i = 0; i < 64; ++i) t[size_t(i)] = uint32_t(std::floor(std::fabs(std::sin(double(i + 1))) * 4294967296.0));
        return t;
    }();
    return k;
}

uint32_t rotateLeft(uint32_t x, uint32_t n) { return (x << n) | (x >> (32 - n)); }

void processBlock(uint32_t (&state)[4], const uint8_t* block) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = uint32_t(block[i * 4]) | uint32_t(block[i * 4 + 1]) << 8 | uint32_t(block[i * 4 + 2]) << 16 |
               uint32_t(block[i * 4 + 3]) << 24;
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    const auto& k = constants();
    for (uint32_t i = 0; i < 64; ++i) {
        uint32_t f = 0, g = 0;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const uint32_t next = d;
        d = c;
        c = b;
        b = b + rotateLeft(a + f + k[i] + m[g], kShifts[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

} // namespace

Md5Digest md5(const uint8_t* data, size_t size) {
    uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    size_t done = 0;
    for (; size - done >= 64; done += 64) processBlock(state, data + done);
    // The tail, the 0x80 marker, zeros, and the length in bits: one or two blocks.
    uint8_t tail[128] = {};
    const size_t rest = size - done;
    if (rest) std::memcpy(tail, data + done, rest);
    tail[rest] = 0x80;
    const size_t blocks = rest < 56 ? 1 : 2;
    const uint64_t bits = uint64_t(size) * 8;
    for (int i = 0; i < 8; ++i) tail[blocks * 64 - 8 + size_t(i)] = uint8_t(bits >> (8 * i));
    for (size_t b = 0; b < blocks; ++b) processBlock(state, tail + b * 64);
    Md5Digest digest{};
    for (size_t i = 0; i < digest.size(); ++i) digest[i] = uint8_t(state[i / 4] >> (8 * (i % 4)));
    return digest;
}

std::string md5Hex(const uint8_t* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const uint8_t byte : md5(data, size)) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

} // namespace varno
