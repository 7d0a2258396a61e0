// Where the player goes next in its list of files and their subsongs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace varno::cli {

struct PlayPosition {
    size_t file = 0;
    uint32_t subsong = 0; // counted from 0
    bool operator==(const PlayPosition&) const = default;
};

enum class PlayEvent { SongEnded, NextSong, PreviousSong, NextSubsong, PreviousSubsong };

// The position after event, given the current file's subsong count and the
// list's length; nothing when the list is done. A subsong's end leads to the
// next subsong, then to the next file's first (with onlySubsong, straight to the
// next file's onlySubsong). Going back from the first file starts it again.
std::optional<PlayPosition> nextPosition(PlayEvent event, PlayPosition at, uint32_t subsongs, size_t files,
                                         std::optional<uint32_t> onlySubsong = std::nullopt);

} // namespace varno::cli
