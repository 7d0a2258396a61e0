// Where a render's output goes: names made from the input, and what is done
// about a file that is already there (refused unless forced; a symbolic link is
// written through, never replaced; a replaced file keeps its permissions).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace varno::cli {

// A file of the command line as the disk holds it: the file, and for
// "archive|entry" the archive and the entry's name in it (empty for a plain
// file, whose own name may hold a "|").
struct InputFile {
    std::string file;
    std::string entry;
};
InputFile inputFile(const std::string& path);

// The output name for an input: the file's name (for an archive's entry, the
// entry's own name) with the container's extension added, "song.mod" ->
// "song.mod.wav", as openmpt123 names its renders; Amiga names like "mod.song"
// stay whole. subsong > 0 adds "-N":
// "song.mod-2.wav". The output lies in directory, or beside the file (the
// archive, for an entry) when directory is empty.
std::string automaticOutputName(const InputFile& input, const std::string& directory, const std::string& extension,
                                int subsong);

// A song's name where room is short (the player's status line): the file's
// name, for an entry "archive.zip|name" with the entry's own name.
std::string shortName(const InputFile& input);

// "song.wav" -> "song-2.wav", for -o with several subsongs.
std::string numberedPath(const std::string& path, int subsong);

struct OutputTarget {
    std::string path;   // where the samples are written: a symbolic link's final target
    bool direct = false; // a device or pipe: written in place, not replaced
    std::optional<std::filesystem::perms> keepPermissions; // of the file replaced
    std::optional<std::pair<unsigned, unsigned>> keepOwner; // its user and group, kept where allowed
};

// What writing to path means; nothing, with the reason in words, when it is
// refused (an existing output without force, a folder, a block device, the
// file input, which is what is rendered, by whatever name).
std::optional<OutputTarget> resolveOutput(const std::string& path, const std::string& input, bool force,
                                          std::string& error);

} // namespace varno::cli
