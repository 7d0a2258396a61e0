// The player's keys: the terminal in a mode that hands over each key press
// without echo (put back on every way out), and the bytes of a key press
// (arrows come as escape sequences) turned into commands.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace varno::cli {

enum class Key { Pause, NextSong, PreviousSong, SeekForward, SeekBack, NextSubsong, PreviousSubsong, VolumeUp,
                 VolumeDown, Quit };

// Turns terminal bytes into keys; a sequence split across reads is completed
// by the next feed. Unknown bytes are dropped.
class KeyDecoder {
public:
    void feed(const char* bytes, size_t count);
    std::optional<Key> next();

private:
    std::string pending_;
};

// Standard input as a keyboard, when it is a terminal; otherwise no keys.
class TerminalKeys {
public:
    TerminalKeys();
    ~TerminalKeys(); // the terminal as it was
    TerminalKeys(const TerminalKeys&) = delete;
    TerminalKeys& operator=(const TerminalKeys&) = delete;

    bool active() const { return active_; }
    // A key pressed since the last call, without waiting.
    std::optional<Key> poll();

private:
    bool active_ = false;
    KeyDecoder decoder_;
};

} // namespace varno::cli
