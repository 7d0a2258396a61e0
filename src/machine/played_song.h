// The song a machine plays, as the machine sees it: the few questions about the
// module that its devices and operating system ask (how long a tick is, where
// the module's file lies, that the song has ended). The machine forwards them to
// the song it is given (session/song.h answers them); it knows no more of it.
#pragma once

#include <cstdint>

namespace varno {

class PlayedSong {
public:
    // The CIA timer whose interrupt is the player's tick: 0 none, 1 CIA-A timer A,
    // 2 CIA-A timer B, 3 CIA-B timer A, 4 CIA-B timer B.
    virtual uint32_t tickTimer() const = 0;
    // The tick is now `latch` CIA counts long, on a processor clocked at clockHz.
    virtual void setTickLength(uint16_t latch, float clockHz) = 0;
    // The player interface's view of the module's file.
    virtual const char* directoryOfModule() const = 0;
    virtual const char* fileNameOfModule() const = 0;
    // The player says its song has ended.
    virtual void signalSongEnd() = 0;

protected:
    ~PlayedSong() = default;
};

} // namespace varno
