#include "cli/output_path.h"

#include <sys/stat.h>

#include "host/portable_host.h"

namespace varno::cli {

namespace fs = std::filesystem;

namespace {

// The file a chain of symbolic links ends at, even when that file does not
// exist yet (a dangling link is written through too).
std::optional<fs::path> followLinks(fs::path path, std::error_code& ec) {
    for (int hops = 0; hops < 40; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return fs::absolute(path, ec).lexically_normal();
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) return std::nullopt;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return std::nullopt;
}

} // namespace

namespace {

// An entry's own name: entries name folders with either slash.
std::string entryFileName(const std::string& entry) {
    const size_t slash = entry.find_last_of("/\\");
    return slash == std::string::npos ? entry : entry.substr(slash + 1);
}

} // namespace

InputFile inputFile(const std::string& path) {
    if (std::optional<ArchivePath> entry = splitArchivePath(path)) return {entry->archive, entry->entry};
    return {path, ""};
}

std::string automaticOutputName(const InputFile& input, const std::string& directory, const std::string& extension,
                                int subsong) {
    const fs::path onDisk(input.file);
    std::string name = input.entry.empty() ? onDisk.filename().string() : entryFileName(input.entry);
    if (subsong > 0) name += "-" + std::to_string(subsong);
    name += "." + extension;
    const fs::path folder = directory.empty() ? onDisk.parent_path() : fs::path(directory);
    return (folder / name).string();
}

std::string shortName(const InputFile& input) {
    const std::string name = fs::path(input.file).filename().string();
    return input.entry.empty() ? name : name + "|" + entryFileName(input.entry);
}

std::string numberedPath(const std::string& path, int subsong) {
    if (path == "-") return path;
    const fs::path p(path);
    return (p.parent_path() / (p.stem().string() + "-" + std::to_string(subsong) + p.extension().string())).string();
}

std::optional<OutputTarget> resolveOutput(const std::string& path, const std::string& input, bool force,
                                          std::string& error) {
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(path, ec);
    OutputTarget target;
    target.path = path;
    if (!fs::exists(link)) return target;
    // By any name (a link, a hard link, another spelling), forced or not.
    struct stat in {}, out {};
    if (::stat(input.c_str(), &in) == 0 && ::stat(path.c_str(), &out) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino) {
        error = "is the input " + input + " itself; it is never replaced";
        return std::nullopt;
    }

    std::string what = "already exists";
    if (fs::is_symlink(link)) {
        // Written through: the link stays, its target gets the samples.
        const std::optional<fs::path> end = followLinks(path, ec);
        if (!end) {
            error = "is a symbolic link that cannot be followed: " + ec.message();
            return std::nullopt;
        }
        target.path = end->string();
        what = "already exists (a symbolic link to " + target.path + ")";
    }
    const fs::file_status status = fs::status(target.path, ec);
    if (fs::is_directory(status)) {
        error = "is a folder";
        return std::nullopt;
    }
    if (fs::is_character_file(status) || fs::is_fifo(status)) {
        // /dev/null, a terminal or a named pipe: nothing to replace or lose.
        target.direct = true;
        return target;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        error = "is not a regular file";
        return std::nullopt;
    }
    if (!force) {
        error = what + (fs::is_symlink(link) ? " (--force writes through it)" : " (--force replaces it)");
        return std::nullopt;
    }
    if (fs::exists(status)) {
        target.keepPermissions = status.permissions();
        struct stat owner {};
        if (::stat(target.path.c_str(), &owner) == 0) target.keepOwner = std::make_pair(owner.st_uid, owner.st_gid);
    }
    return target;
}

} // namespace varno::cli
