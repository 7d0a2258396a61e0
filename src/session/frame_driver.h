// Driving the player tick by tick: one run of its periodic routine, the checks
// that end a song (song-end signal, play time, silence), and recording the
// length of a song that ended.
#pragma once

#include <cstdint>

namespace varno {

struct AmigaMachine;
struct Song;

// Starts a subsong: -1 restarts the current one, n starts firstSubsong + n.
// Unless fresh (the first start after opening), the previous sound is stopped
// first. A subsong that does not exist is ignored: the current one plays on.
void startSubsong(AmigaMachine& machine, Song& song, int32_t subsong, bool fresh);

// For the host's loop requests: clears the song-end signal; a song that ended
// in silence (or is in a silent stretch) starts again. True when the song was
// still running and was left alone.
bool restartIfEnded(AmigaMachine& machine, Song& song);

// Runs the player's tick routine once (when there is one) and lets the
// processor take a pending interrupt. False when the routine faulted.
bool playerTick(AmigaMachine& machine, Song& song);

// True when rendering must stop now; asked before every tick. Besides the
// song-end signal, silence and the play time, a faulted tick routine ends the
// song: its message has been shown once, rather than fifty times a second.
bool endCheck(const AmigaMachine& machine, const Song& song);


// After a tick's channels have been resampled: counts silent frames and ends
// the song after 3 s of silence once sound was heard, 6 s before that; after
// 30 s, before sound as after it, when the player finds its song's end itself
// (and the song end is obeyed); never when the song's silenceEnds is off. nearest:
// the resampled frames were picked from the raw samples (None), so a channel
// whose raw block is quiet is quiet without its longer resampled block read.
void detectSilence(const AmigaMachine& machine, Song& song, int32_t frames, bool nearest);
// The same count for a tick whose sound was judged elsewhere.
void noteSilence(const AmigaMachine& machine, Song& song, bool sound, int32_t frames);
// Whether any of the samples counts as sound.
bool anySound(const float* samples, int32_t count);

// After every rendered tick: when the song has ended, stores its length and
// reports it to the host.
void recordSongEnd(const AmigaMachine& machine, Song& song);

// Tells the host the length recorded for the subsong playing (0 = not known),
// and whether the song can be sought.
void reportLength(const AmigaMachine& machine, const Song& song);

// Silence limits in seconds.
constexpr double kSilenceAfterSound = 3.0;
constexpr double kSilenceBeforeSound = 6.0;
// For a player that signals its song's end, before and after the first sound.
constexpr double kSilenceInOwnEndSong = 30.0;
// A resampled sample above this magnitude counts as sound.
constexpr float kSilenceThreshold = 0.01f;

} // namespace varno
