// The generated songs: a demo that sounds like music and uses most effects, and one
// small song per decisive effect, each of which ends by repeating.
#pragma once

#include <string>
#include <vector>

#include "mod_writer.h"

namespace varno::modgen {

struct Song {
    std::string name; // file name without ".mod"
    std::string what; // one line: what it exercises
    Module module;
};

Module demoSong();
std::vector<Song> effectSongs();
// The demo first, then the effect songs.
std::vector<Song> allSongs();

// Pieces the songs share, also for tests that build modules of their own.
Sample toneSample(const std::string& name, int cycles = 64);     // a looped saw, 32-byte cycle
Sample oneShotSample(const std::string& name, int bytes = 8192); // an unlooped fading square

} // namespace varno::modgen
