// The table of shared songs (songs.tsv beside this file): every file under
// ../shared/modules with the player that must take it, so that what a test
// expects of a file is written once, whatever else lies in the folders.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace varno::test {

struct SharedSong {
    std::string file;       // under ../shared/modules
    std::string player;     // the DTP_PlayerName that takes it; empty: no player may
    std::string format;     // what the file is, as the README of the shared songs names it
    double seconds = 0;     // the first subsong's length by the reference; 0: not known
    std::string reference;  // which reference player measured it
    bool compared = false;  // judged against the reference's render by the players' song tests
};

inline std::filesystem::path sharedSongRoot() { return std::filesystem::path(VARNO_SHARED_DIR) / "modules"; }

// Rows in the order of the table. Lines starting with # and blank lines are notes.
inline const std::vector<SharedSong>& sharedSongTable() {
    static const std::vector<SharedSong> table = [] {
        std::vector<SharedSong> rows;
        std::ifstream in(VARNO_SONG_TABLE);
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::vector<std::string> fields;
            std::stringstream cells(line);
            for (std::string cell; std::getline(cells, cell, '\t');)
                if (!cell.empty()) fields.push_back(cell);
            if (fields.size() != 6) throw std::runtime_error("songs.tsv: six fields expected in: " + line);
            SharedSong row;
            row.file = fields[0];
            row.player = fields[1] == "-" ? "" : fields[1];
            row.format = fields[2];
            row.seconds = fields[3] == "-" ? 0 : std::stod(fields[3]);
            row.reference = fields[4];
            row.compared = fields[5] == "yes";
            rows.push_back(row);
        }
        if (rows.empty()) throw std::runtime_error(std::string("no songs in ") + VARNO_SONG_TABLE);
        return rows;
    }();
    return table;
}

// The rows whose files are there, taken by a player (or by the one named).
inline std::vector<SharedSong> playedSharedSongs(const std::string& player = "") {
    std::vector<SharedSong> songs;
    for (const SharedSong& song : sharedSongTable())
        if (!song.player.empty() && (player.empty() || song.player == player) &&
            std::filesystem::exists(sharedSongRoot() / song.file))
            songs.push_back(song);
    return songs;
}

// Files of the shared folders the table does not list yet (songs added since):
// they are only checked for faults until they are given a row.
inline std::vector<std::string> unlistedSharedFiles() {
    std::set<std::string> listed;
    for (const SharedSong& song : sharedSongTable()) listed.insert(song.file);
    std::vector<std::string> files;
    if (!std::filesystem::exists(sharedSongRoot())) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sharedSongRoot())) {
        if (!entry.is_regular_file()) continue;
        const std::string file = entry.path().lexically_relative(sharedSongRoot()).generic_string();
        if (entry.path().extension() == ".md" || file.rfind("reference/", 0) == 0) continue;
        if (!listed.count(file)) files.push_back(file);
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace varno::test
