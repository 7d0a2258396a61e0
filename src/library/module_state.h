// What stands behind a Module: the machine it plays on, the song record it plays
// there and where it stands. For the library's own files and for the plugin, which
// keeps one machine and song for file checks and playing and lets its dialog
// change the settings while a song plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "library/module.h"
#include "machine/settings.h"

namespace varno {

struct AmigaMachine;
struct Song;

struct Module::State {
    std::unique_ptr<Song> ownedSong;     // goes after the owned machine, which points at it
    std::unique_ptr<AmigaMachine> owned; // null when the machine is the front end's
    AmigaMachine* machine = nullptr;
    Song* song = nullptr;                // the record of the song the machine plays
    PluginSettings machineSettings;      // what an owned machine plays by
    PlaybackSettings settings;
    std::string playersPath;
    std::string playersFolder; // the machine keeps a pointer to it
    uint64_t delivered = 0; // frames handed out since the subsong started
    std::string fault;      // the last fault the machine reported, for OpenError

    State();
    ~State();
    // A module around a state whose machine has a module open.
    static Module wrap(std::unique_ptr<State> state) { return Module(std::move(state)); }
};

// Opens a module on a machine and song record the caller keeps (the song attached
// to the machine), playing by the settings the machine points at. Throws OpenError.
Module moduleOnMachine(AmigaMachine& machine, Song& song, const char* path, const uint8_t* data, uint32_t size);

Module::State& stateOf(Module& module);

// Renders count interleaved values of the song's output channels, any count
// (the music player's requests need not be whole frames); returns the values
// rendered, fewer once the song has ended.
int32_t renderValues(Module& module, float* values, int32_t count);

// Measures every subsong's length as an open with measureLengths does; the
// module then stands at the start of its subsong. Returns the subsongs measured.
int measureLengths(Module& module);

// Module::seek to an output frame; returns the frame reached.
uint64_t seekToFrame(Module& module, uint64_t frame);

} // namespace varno
