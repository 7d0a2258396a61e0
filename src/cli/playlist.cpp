#include "cli/playlist.h"

namespace varno::cli {

std::optional<PlayPosition> nextPosition(PlayEvent event, PlayPosition at, uint32_t subsongs, size_t files,
                                         std::optional<uint32_t> only) {
    const uint32_t first = only.value_or(0);
    const auto nextFile = [&]() -> std::optional<PlayPosition> {
        if (at.file + 1 >= files) return std::nullopt;
        return PlayPosition{at.file + 1, first};
    };
    switch (event) {
    case PlayEvent::SongEnded:
    case PlayEvent::NextSubsong:
        if (!only && at.subsong + 1 < subsongs) return PlayPosition{at.file, at.subsong + 1};
        return nextFile();
    case PlayEvent::NextSong: return nextFile();
    case PlayEvent::PreviousSong: return PlayPosition{at.file > 0 ? at.file - 1 : 0, first};
    case PlayEvent::PreviousSubsong:
        if (!only && at.subsong > 0) return PlayPosition{at.file, at.subsong - 1};
        return PlayPosition{at.file, first};
    }
    return std::nullopt;
}

} // namespace varno::cli
