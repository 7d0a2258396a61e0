// What scans found out about files, kept from run to run in one file of a cache
// folder, so that a playlist measured once is known at once the next time. The
// plugin and the command line share it; each process holds the entries in memory,
// reads the file again when another process has replaced it, and replaces it
// whole (a temporary file renamed over it), so no reader ever sees half a file.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/mutex.h"
#include "plugin/md5.h"

namespace varno {

// Raised when the file's layout, the way lengths are measured or the texts kept
// (now UTF-8) change: it is part of the file's header and of every key, so older
// entries are never taken.
constexpr uint32_t kLengthCacheVersion = 3;

struct LengthCacheKey {
    Md5Digest content{}; // the file's bytes
    Md5Digest context{}; // everything else a length depends on (see lengthCacheKey)

    auto operator<=>(const LengthCacheKey&) const = default;
};

struct KnownSong {
    std::vector<float> seconds; // one per subsong; 0 where the scan found no end
    std::string tags;           // "name\0value\0" pairs, UTF-8, as the host takes them
    std::string notes;          // what a front end keeps beside the lengths (varno info's texts); may be empty
};

class LengthCache {
public:
    static constexpr const char* kFileName = "varno-lengths.cache";
    // Beyond this the entries used least recently are dropped: a few thousand
    // files with varno info's texts, some tens of thousands without.
    static constexpr size_t kMaxFileBytes = size_t(2) << 20;

    // An empty folder keeps entries in memory only. Nothing is read or created
    // before the first find or store.
    explicit LengthCache(std::string folder);
    // Saves what is not saved yet.
    ~LengthCache();
    LengthCache(const LengthCache&) = delete;
    LengthCache& operator=(const LengthCache&) = delete;

    std::filesystem::path filePath() const;

    // find, store and save may be called from several threads (the playing one and
    // the length scan's).
    // The entry of the key, which counts as used now.
    bool find(const LengthCacheKey& key, KnownSong& song);
    // Adds or replaces the entry; an entry's notes are kept when the new one has none.
    // Saved at once when nothing was saved for a second, else with the next save.
    void store(const LengthCacheKey& key, const KnownSong& song);
    // Writes the file when anything changed: new entries, use times, or a damaged
    // file read. A folder that cannot be written leaves the entries in memory.
    void save();

private:
    void saveHeld();  // save with the lock held
    struct Entry {
        KnownSong song;
        uint64_t lastUsed = 0; // milliseconds since 1970
    };
    struct FileStamp {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type written{};
        bool exists = false;
        bool operator==(const FileStamp&) const = default;
    };

    uint64_t nextUse();
    FileStamp stampOfFile() const;
    void refresh();
    void merge(const LengthCacheKey& key, Entry entry);
    bool readFile(std::map<LengthCacheKey, Entry>& into) const;
    void trim();
    bool writeFile();

    Mutex lock_;
    std::string folder_;
    std::map<LengthCacheKey, Entry> entries_;
    FileStamp stamp_; // the file as last read or written
    bool loaded_ = false;
    bool changed_ = false;
    std::chrono::steady_clock::time_point lastSave_{};
    uint64_t tempToken_ = 0;
    uint64_t lastUse_ = 0;
};

} // namespace varno
