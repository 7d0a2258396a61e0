// A small hunk-file reader for the tests, written apart from the converter so that it
// checks the converter's output instead of repeating its logic.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace varno::test {

struct ReadHunk {
    std::uint32_t id = 0;
    std::uint32_t longs = 0;
    std::vector<std::uint8_t> bytes; // code and data
    std::map<std::uint32_t, std::vector<std::uint32_t>> relocations; // target hunk -> offsets, as stored
};

struct ReadExecutable {
    std::vector<std::uint32_t> sizeTable; // as stored, flags included
    std::vector<ReadHunk> hunks;
};

inline std::vector<std::uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::uint32_t bigEndianLong(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes.at(at)) << 24 | static_cast<std::uint32_t>(bytes.at(at + 1)) << 16 |
           static_cast<std::uint32_t>(bytes.at(at + 2)) << 8 | bytes.at(at + 3);
}

// Accepts exactly the layout the loader understands: header, then per hunk a
// code/data/BSS block, an optional RELOC32 block and HUNK_END. Anything else,
// or a file that does not end right after the last hunk, gives nullopt.
inline std::optional<ReadExecutable> readExecutable(const std::vector<std::uint8_t>& file) {
    std::size_t at = 0;
    auto next = [&]() -> std::optional<std::uint32_t> {
        if (at + 4 > file.size()) {
            return std::nullopt;
        }
        at += 4;
        return bigEndianLong(file, at - 4);
    };
    ReadExecutable result;
    auto header = next();
    auto libraries = next();
    auto count = next();
    auto first = next();
    auto last = next();
    if (!last || *header != 0x3F3 || *libraries != 0 || *first != 0 || *count == 0 || *last != *count - 1) {
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto size = next();
        if (!size) {
            return std::nullopt;
        }
        result.sizeTable.push_back(*size);
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        ReadHunk hunk;
        auto id = next();
        auto longs = next();
        if (!longs || (*id != 0x3E9 && *id != 0x3EA && *id != 0x3EB)) {
            return std::nullopt;
        }
        hunk.id = *id;
        hunk.longs = *longs;
        if (hunk.id != 0x3EB) {
            if (at + std::size_t{hunk.longs} * 4 > file.size()) {
                return std::nullopt;
            }
            hunk.bytes.assign(file.begin() + static_cast<std::ptrdiff_t>(at),
                              file.begin() + static_cast<std::ptrdiff_t>(at + hunk.longs * 4));
            at += std::size_t{hunk.longs} * 4;
        }
        auto marker = next();
        if (marker == 0x3ECu) {
            for (auto k = next(); k != 0u; k = next()) {
                if (!k) {
                    return std::nullopt;
                }
                auto target = next();
                if (!target) {
                    return std::nullopt;
                }
                for (std::uint32_t j = 0; j < *k; ++j) {
                    auto offset = next();
                    if (!offset) {
                        return std::nullopt;
                    }
                    hunk.relocations[*target].push_back(*offset);
                }
            }
            marker = next();
        }
        if (marker != 0x3F2u) {
            return std::nullopt;
        }
        result.hunks.push_back(std::move(hunk));
    }
    if (at != file.size()) {
        return std::nullopt;
    }
    return result;
}

} // namespace varno::test
