// What a player reports of the song it plays, beyond its title: the author, its
// message, the names of its samples or instruments, how many patterns, positions
// and voices it has, and the name of its format where the player plays several.
// Texts are UTF-8, converted once from the Amiga's ISO 8859-1 as they are read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno {

struct SongInfo {
    // More names than any format stores are not kept.
    static constexpr size_t kMaxSampleNames = 256;
    // More voices than any format plays are not believed.
    static constexpr int32_t kMaxVoices = 64;

    std::string author;
    std::string comment;                  // lines ended by '\n'
    std::string formatTitle;              // the song's own, else its player's name for it
    std::vector<std::string> sampleNames; // in the song's order, empty names kept
    int32_t patterns = -1;                // -1: not reported
    int32_t positions = -1;
    int32_t voices = -1;                  // the song's own, else as many as its format has

    void clear() {
        author.clear();
        comment.clear();
        formatTitle.clear();
        sampleNames.clear();
        patterns = positions = voices = -1;
    }
};

} // namespace varno
