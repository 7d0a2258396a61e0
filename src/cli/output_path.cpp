#include "cli/output_path.h"

#include <sys/stat.h>

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

std::string automaticOutputName(const std::string& input, const std::string& directory,
                                const std::string& extension, int subsong) {
    const size_t bar = input.find('|');
    const fs::path onDisk(bar == std::string::npos ? input : input.substr(0, bar));
    // Entries name folders with either slash.
    std::string name = bar == std::string::npos ? onDisk.filename().string() : input.substr(bar + 1);
    if (const size_t slash = name.find_last_of("/\\"); slash != std::string::npos) name = name.substr(slash + 1);
    if (subsong > 0) name += "-" + std::to_string(subsong);
    name += "." + extension;
    const fs::path folder = directory.empty() ? onDisk.parent_path() : fs::path(directory);
    return (folder / name).string();
}

std::string numberedPath(const std::string& path, int subsong) {
    if (path == "-") return path;
    const fs::path p(path);
    return (p.parent_path() / (p.stem().string() + "-" + std::to_string(subsong) + p.extension().string())).string();
}

std::optional<OutputTarget> resolveOutput(const std::string& path, bool force, std::string& error) {
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(path, ec);
    OutputTarget target;
    target.path = path;
    if (!fs::exists(link)) return target;

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
