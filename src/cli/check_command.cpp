// varno check: one line per file, playable or not and by which player.
#include <cstdio>

#include "cli/commands.h"
#include "plugin/plugin_extras.h"

namespace varno::cli {

int runCheck(const std::vector<std::string>& files, const std::string& players) {
    // A missing or unusable player archive is said once, here, rather than
    // calling every file unplayable.
    const XmpInterface* plugin = startPlugin(players, {});
    if (!plugin) return 1;
    int failures = 0;
    for (const std::string& path : expandArchives(files)) {
        setCurrentFile(path);
        HostFileHandle file;
        std::string cause;
        if (!file.open(path, cause)) {
            std::printf("%s: not playable (%s)\n", path.c_str(), cause.c_str());
            ++failures;
            continue;
        }
        const std::string player = identifyPlayer(path.c_str(), file.get());
        if (player.empty()) {
            std::printf("%s: not playable (no player recognises it)\n", path.c_str());
            ++failures;
        } else {
            std::printf("%s: playable by %s\n", path.c_str(), player.c_str());
        }
    }
    stopPlugin();
    return failures ? 1 : 0;
}

} // namespace varno::cli
