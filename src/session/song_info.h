// What a player reports of the song it plays, beyond its title: the author, the
// names of its samples or instruments, and how many patterns and positions it has.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno {

struct SongInfo {
    // More names than any format stores are not kept.
    static constexpr size_t kMaxSampleNames = 256;

    std::string author;
    std::vector<std::string> sampleNames; // in the song's order, empty names kept
    int32_t patterns = -1;                // -1: not reported
    int32_t positions = -1;

    void clear() {
        author.clear();
        sampleNames.clear();
        patterns = positions = -1;
    }
};

} // namespace varno
