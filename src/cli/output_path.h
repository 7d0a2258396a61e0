// Where a render's output goes: names made from the input, and what is done
// about a file that is already there (refused unless forced; a symbolic link is
// written through, never replaced; a replaced file keeps its permissions).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace varno::cli {

// The output name for an input: the input's file name (for "archive|entry" the
// entry's) with the container's extension added, "song.mod" -> "song.mod.wav",
// as openmpt123 names its renders; Amiga names like "mod.song" stay whole.
// subsong > 0 adds "-N": "song.mod-2.wav". The output lies in directory, or
// beside the input (beside the archive for an entry) when directory is empty.
std::string automaticOutputName(const std::string& input, const std::string& directory,
                                const std::string& extension, int subsong);

// "song.wav" -> "song-2.wav", for -o with several subsongs.
std::string numberedPath(const std::string& path, int subsong);

struct OutputTarget {
    std::string path;   // where the samples are written: a symbolic link's final target
    bool direct = false; // a device or pipe: written in place, not replaced
    std::optional<std::filesystem::perms> keepPermissions; // of the file replaced
    std::optional<std::pair<unsigned, unsigned>> keepOwner; // its user and group, kept where allowed
};

// What writing to path means; nothing, with the reason in words, when it is
// refused (an existing output without force, a folder, a block device).
std::optional<OutputTarget> resolveOutput(const std::string& path, bool force, std::string& error);

} // namespace varno::cli
