// The length cache as the plugin uses it: keys from a module's bytes and what
// else decides its lengths, and entries made from and put back into a song.
// The caller holds the plugin lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/length_cache.h"

namespace varno {

struct AmigaMachine;
struct Song;

// The plugin's cache; null when lengths are not kept between runs.
LengthCache* lengthCache();

// The key of a module's bytes as a machine running at sampleRate measures them
// now: with the player archive in use (its size and MD5), the play time and the
// song-end setting, and the cache's version. False without a cache, or when the
// player archive cannot be read.
bool lengthCacheKey(AmigaMachine& machine, const Md5Digest& content, uint32_t sampleRate, LengthCacheKey& key);

// The open module's lengths and tags as an entry.
KnownSong knownSongOf(const Song& song);

// Puts an entry's lengths into the open module; false (nothing changed) when the
// entry's subsong count is not the module's.
bool applyKnownLengths(Song& song, const KnownSong& known);

// The file information entry's answer from an entry: the subsong count with the
// host's flag, the lengths and tags in the host's memory.
uint32_t knownFileInfo(AmigaMachine& machine, const KnownSong& song, float** lengths, char** tags);

} // namespace varno
