// Reader for the recorded single-instruction 68000 test files; every length and
// count is checked against the bytes that are left.
#include "vector_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace varno::vectors {
namespace {

class Reader {
public:
    Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    bool u32(uint32_t& value) {
        if (bytes_.size() - pos_ < 4) return false;
        value = static_cast<uint32_t>(bytes_[pos_]) | bytes_[pos_ + 1] << 8 | bytes_[pos_ + 2] << 16 |
                static_cast<uint32_t>(bytes_[pos_ + 3]) << 24;
        pos_ += 4;
        return true;
    }
    bool u16(uint16_t& value) {
        if (bytes_.size() - pos_ < 2) return false;
        value = static_cast<uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool u8(uint8_t& value) {
        if (pos_ >= bytes_.size()) return false;
        value = bytes_[pos_++];
        return true;
    }
    bool text(std::string& out, uint32_t length) {
        if (bytes_.size() - pos_ < length) return false;
        out.assign(reinterpret_cast<const char*>(bytes_.data() + pos_), length);
        pos_ += length;
        return true;
    }
    bool expect(uint32_t magic) {
        uint32_t value;
        return u32(value) && value == magic;
    }
    std::size_t left() const { return bytes_.size() - pos_; }

private:
    const std::vector<uint8_t>& bytes_;
    std::size_t pos_ = 0;
};

bool readState(Reader& in, ProcessorState& state) {
    uint32_t length;
    if (!in.u32(length) || !in.expect(0x01234567)) return false;
    for (auto& r : state.d) if (!in.u32(r)) return false;
    for (auto& r : state.a) if (!in.u32(r)) return false;
    if (!in.u32(state.usp) || !in.u32(state.ssp) || !in.u32(state.sr) || !in.u32(state.pc)) return false;
    if (!in.u32(state.prefetch[0]) || !in.u32(state.prefetch[1])) return false;
    uint32_t count;
    if (!in.u32(count) || count > in.left() / 6) return false;
    state.ram.resize(count);
    for (auto& word : state.ram)
        if (!in.u32(word.address) || !in.u16(word.value)) return false;
    return true;
}

bool readTest(Reader& in, VectorTest& test) {
    uint32_t length, nameLength, textLength;
    if (!in.u32(length) || !in.expect(0xABC12367)) return false;
    if (!in.u32(nameLength) || !in.expect(0x89ABCDEF) || !in.u32(textLength)) return false;
    if (!in.text(test.name, textLength)) return false;
    if (!readState(in, test.initial) || !readState(in, test.final)) return false;
    uint32_t count;
    if (!in.u32(length) || !in.expect(0x456789AB) || !in.u32(test.cycles) || !in.u32(count)) return false;
    test.addressError = false;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t kind;
        uint32_t value;
        if (!in.u8(kind) || !in.u32(value)) return false;
        if (kind == 0) continue;
        for (int field = 0; field < 5; ++field)
            if (!in.u32(value)) return false;
        if (kind == 4 || kind == 5) test.addressError = true;
    }
    return true;
}

} // namespace

bool readVectorFile(const std::string& path, std::vector<VectorTest>& tests, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open the file";
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Reader in(bytes);
    uint32_t count;
    if (!in.expect(0x1A3F5D71) || !in.u32(count)) {
        error = "not a vector file";
        return false;
    }
    if (count > in.left() / 16) {
        error = "truncated: " + std::to_string(count) + " tests announced";
        return false;
    }
    tests.assign(count, {});
    for (uint32_t i = 0; i < count; ++i) {
        if (!readTest(in, tests[i])) {
            error = "test " + std::to_string(i + 1) + " is malformed or truncated";
            return false;
        }
    }
    return true;
}

} // namespace varno::vectors
