// varno players: the player catalogue.
#include <cstdio>

#include "cli/commands.h"
#include "amigaos/text.h"
#include "plugin/plugin_extras.h"

namespace varno::cli {

int runPlayers(const std::string& players) {
    if (!startPlugin(players, {})) return 1;
    const std::vector<CataloguedPlayer> list = listPlayers();
    std::printf("%5s  %-20s %-28s %-7s %s\n", "index", "file", "player", "format", "creator");
    for (const CataloguedPlayer& p : list)
        std::printf("%5u  %-20s %-28s %-7s %s\n", p.index, p.fileName.c_str(),
                    amigaText(p.playerName).c_str(), p.formatTag.c_str(),
                    amigaText(p.creator).c_str());
    stopPlugin();
    if (list.empty()) {
        reportError("", "the player archive holds no players");
        return 1;
    }
    return 0;
}

} // namespace varno::cli
