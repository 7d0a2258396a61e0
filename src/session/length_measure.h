// Measuring the lengths of a module's subsongs by playing them through silently.
#pragma once

#include <chrono>

namespace varno {

struct AmigaMachine;
struct Song;

// Plays each subsong through without output and records its length: at the
// song's end or after silence as played, at the play time when it reaches it
// (with no play time, a song still running after an hour stays unknown), and
// unknown when the deadline comes first. Leaves the machine at the start of the
// subsong that was current; the host hears of no length meanwhile. Returns the
// subsongs measured.
int measureSubsongLengths(AmigaMachine& machine, Song& song,
                          std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

} // namespace varno
