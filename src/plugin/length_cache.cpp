#include "plugin/length_cache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace varno {

namespace fs = std::filesystem;

namespace {

// The file: a header, then entries, each its size, a check and its body. The
// check (the body's MD5, first four bytes) finds a damaged entry, which is
// skipped; a size that runs past the end stops the reading there. Numbers are
// little-endian.
constexpr char kMagic[8] = {'V', 'A', 'R', 'N', 'O', 'L', 'E', 'N'};
constexpr size_t kHeaderBytes = sizeof kMagic + 4;
constexpr size_t kEntryHead = 8;
// Beyond these a count or a text is damage, not data.
constexpr uint32_t kMaxSubsongs = 1024;
constexpr uint32_t kMaxText = 64 * 1024;
constexpr float kMaxSeconds = 1e7f;
// Entries stored in a burst are written together, at most once a second.
constexpr auto kSaveInterval = std::chrono::seconds(1);

uint64_t millisecondsNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return uint64_t(std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
}

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char(uint8_t(v >> (8 * i)));
}

void put64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out += char(uint8_t(v >> (8 * i)));
}

void putText(std::string& out, const std::string& text) {
    put32(out, uint32_t(text.size()));
    out += text;
}

struct Reader {
    const uint8_t* at;
    const uint8_t* end;

    bool has(size_t n) const { return size_t(end - at) >= n; }
    bool get32(uint32_t& v) {
        if (!has(4)) return false;
        v = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
        at += 4;
        return true;
    }
    bool get64(uint64_t& v) {
        uint32_t low = 0, high = 0;
        if (!get32(low) || !get32(high)) return false;
        v = uint64_t(high) << 32 | low;
        return true;
    }
    bool getBytes(uint8_t* out, size_t n) {
        if (!has(n)) return false;
        std::memcpy(out, at, n);
        at += n;
        return true;
    }
    bool getText(std::string& text) {
        uint32_t n = 0;
        if (!get32(n) || n > kMaxText || !has(n)) return false;
        text.assign(reinterpret_cast<const char*>(at), n);
        at += n;
        return true;
    }
};

std::string entryBody(const LengthCacheKey& key, const KnownSong& song, uint64_t lastUsed) {
    std::string body(reinterpret_cast<const char*>(key.content.data()), key.content.size());
    body.append(reinterpret_cast<const char*>(key.context.data()), key.context.size());
    put64(body, lastUsed);
    put32(body, uint32_t(song.seconds.size()));
    for (const float s : song.seconds) {
        uint32_t bits = 0;
        std::memcpy(&bits, &s, 4);
        put32(body, bits);
    }
    putText(body, song.tags);
    putText(body, song.notes);
    return body;
}

uint32_t checkOf(const std::string& body) {
    const Md5Digest d = md5(reinterpret_cast<const uint8_t*>(body.data()), body.size());
    return uint32_t(d[0]) | uint32_t(d[1]) << 8 | uint32_t(d[2]) << 16 | uint32_t(d[3]) << 24;
}

// Pairs of NUL-terminated texts, as the file information entry hands them out.
bool wellFormedTags(const std::string& tags) {
    if (tags.empty()) return true;
    return tags.back() == 0 && std::count(tags.begin(), tags.end(), '\0') % 2 == 0 && tags.find('\0') != 0;
}

bool parseBody(const uint8_t* data, size_t size, LengthCacheKey& key, KnownSong& song, uint64_t& lastUsed) {
    Reader r{data, data + size};
    uint32_t count = 0;
    if (!r.getBytes(key.content.data(), key.content.size()) || !r.getBytes(key.context.data(), key.context.size()) ||
        !r.get64(lastUsed) || !r.get32(count) || count > kMaxSubsongs)
        return false;
    song.seconds.resize(count);
    for (float& s : song.seconds) {
        uint32_t bits = 0;
        if (!r.get32(bits)) return false;
        std::memcpy(&s, &bits, 4);
        if (!std::isfinite(s) || s < 0 || s > kMaxSeconds) return false;
    }
    return r.getText(song.tags) && wellFormedTags(song.tags) && r.getText(song.notes) && r.at == r.end;
}

} // namespace

LengthCache::LengthCache(std::string folder) : folder_(std::move(folder)) {
    // Two processes writing at once each use their own temporary file.
    std::random_device random;
    tempToken_ = uint64_t(random()) << 32 ^ uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 reinterpret_cast<uintptr_t>(this);
}

LengthCache::~LengthCache() {
    try {
        save();
    } catch (...) {
        // Memory ran out at the end: the entries are only lost.
    }
}

fs::path LengthCache::filePath() const { return fs::path(folder_) / kFileName; }

bool LengthCache::find(const LengthCacheKey& key, KnownSong& song) {
    MutexLock lock(lock_);
    try {
        refresh();
        const auto it = entries_.find(key);
        if (it == entries_.end()) return false;
        song = it->second.song;
        it->second.lastUsed = nextUse();
        changed_ = true;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void LengthCache::store(const LengthCacheKey& key, const KnownSong& song) {
    MutexLock lock(lock_);
    try {
        refresh();
        merge(key, {song, nextUse()});
        changed_ = true;
        if (std::chrono::steady_clock::now() - lastSave_ >= kSaveInterval) saveHeld();
    } catch (const std::exception&) {
        // Not kept: the next scan measures again.
    }
}

void LengthCache::save() {
    MutexLock lock(lock_);
    saveHeld();
}

void LengthCache::saveHeld() {
    if (!changed_ || folder_.empty()) return;
    refresh();
    trim();
    changed_ = false;
    lastSave_ = std::chrono::steady_clock::now();
    if (writeFile()) stamp_ = stampOfFile();
}

// Uses within one process are told apart even in the same millisecond.
uint64_t LengthCache::nextUse() {
    lastUse_ = std::max(millisecondsNow(), lastUse_ + 1);
    return lastUse_;
}

LengthCache::FileStamp LengthCache::stampOfFile() const {
    std::error_code ec;
    FileStamp stamp;
    const fs::path path = filePath();
    stamp.size = fs::file_size(path, ec);
    if (ec) return {};
    stamp.written = fs::last_write_time(path, ec);
    if (ec) return {};
    stamp.exists = true;
    return stamp;
}

// Takes in what another process wrote since the file was last read here.
void LengthCache::refresh() {
    if (folder_.empty()) return;
    const FileStamp stamp = stampOfFile();
    if (loaded_ && stamp == stamp_) return;
    std::map<LengthCacheKey, Entry> onDisk;
    if (readFile(onDisk)) changed_ = true; // damaged: the next save writes it anew
    for (auto& [key, entry] : onDisk) merge(key, std::move(entry));
    stamp_ = stamp;
    loaded_ = true;
}

void LengthCache::merge(const LengthCacheKey& key, Entry entry) {
    const auto [it, added] = entries_.try_emplace(key, entry);
    if (added) return;
    Entry& mine = it->second;
    if (entry.song.notes.empty()) entry.song.notes = std::move(mine.song.notes);
    entry.lastUsed = std::max(entry.lastUsed, mine.lastUsed);
    mine = std::move(entry);
}

// True when the file was there but damaged in part or whole.
bool LengthCache::readFile(std::map<LengthCacheKey, Entry>& into) const {
    std::ifstream in(filePath(), std::ios::binary);
    if (!in) return false;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(filePath(), ec);
    std::string bytes;
    // A file far beyond the bound was not written by this cache: what fits is read.
    bytes.resize(ec ? 0 : size_t(std::min<std::uintmax_t>(size, kMaxFileBytes * 2)));
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    Reader r{data, data + bytes.size()};
    uint8_t magic[sizeof kMagic] = {};
    uint32_t version = 0;
    if (!r.getBytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0 || !r.get32(version) ||
        version != kLengthCacheVersion)
        return true;
    bool damaged = false;
    while (r.at != r.end) {
        uint32_t size = 0, check = 0;
        if (!r.get32(size) || !r.get32(check) || !r.has(size)) return true;
        const std::string body(reinterpret_cast<const char*>(r.at), size);
        r.at += size;
        LengthCacheKey key;
        Entry entry;
        if (checkOf(body) != check ||
            !parseBody(reinterpret_cast<const uint8_t*>(body.data()), body.size(), key, entry.song, entry.lastUsed)) {
            damaged = true;
            continue;
        }
        into[key] = std::move(entry);
    }
    return damaged;
}

// Drops the entries used least recently until the file fits its bound.
void LengthCache::trim() {
    std::vector<std::pair<uint64_t, LengthCacheKey>> byUse;
    byUse.reserve(entries_.size());
    for (const auto& [key, entry] : entries_) byUse.emplace_back(entry.lastUsed, key);
    std::sort(byUse.begin(), byUse.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    size_t bytes = kHeaderBytes;
    for (const auto& [used, key] : byUse) {
        const auto it = entries_.find(key);
        const KnownSong& s = it->second.song;
        bytes += kEntryHead + 2 * sizeof(Md5Digest) + 8 + 4 + 4 * s.seconds.size() + 4 + s.tags.size() + 4 +
                 s.notes.size();
        if (bytes > kMaxFileBytes) entries_.erase(it);
    }
}

bool LengthCache::writeFile() {
    std::string out(kMagic, sizeof kMagic);
    put32(out, kLengthCacheVersion);
    for (const auto& [key, entry] : entries_) {
        const std::string body = entryBody(key, entry.song, entry.lastUsed);
        put32(out, uint32_t(body.size()));
        put32(out, checkOf(body));
        out += body;
    }
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) return false;
    const fs::path temporary = fs::path(folder_) / (std::string(kFileName) + "." + std::to_string(tempToken_) + ".tmp");
    bool written = false;
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        written = file && file.write(out.data(), std::streamsize(out.size())) && file.flush();
    }
    if (written) fs::rename(temporary, filePath(), ec);
    if (written && ec) {
        // A runtime whose rename does not replace a file: the old one goes first.
        // A reader meanwhile finds no cache, never half of one.
        fs::remove(filePath(), ec);
        ec.clear();
        fs::rename(temporary, filePath(), ec);
    }
    if (!written || ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

} // namespace varno
