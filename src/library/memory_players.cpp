#include "library/memory_players.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace varno {

namespace {

constexpr const char* kPrefix = "varno-memory-players:";

// What a HostFile of this host points at: the archive (bytes null) or one entry.
struct MemoryFile {
    const std::vector<PlayerFile>* players = nullptr;
    const std::vector<uint8_t>* bytes = nullptr;
    uint32_t position = 0;
    std::vector<char> names; // the archive's entry list
};

MemoryFile* fileOf(HostFile file) { return reinterpret_cast<MemoryFile*>(file); }
HostFile handleOf(MemoryFile* file) { return reinterpret_cast<HostFile>(file); }

HostFile VARNO_HOSTAPI fileOpen(const char* path) {
    const size_t prefix = std::strlen(kPrefix);
    if (!path || std::strncmp(path, kPrefix, prefix) != 0) return nullptr;
    void* address = nullptr;
    if (std::sscanf(path + prefix, "%p", &address) != 1 || !address) return nullptr;
    auto* file = new (std::nothrow) MemoryFile;
    if (file) file->players = static_cast<const std::vector<PlayerFile>*>(address);
    return handleOf(file);
}

void VARNO_HOSTAPI fileClose(HostFile file) { delete fileOf(file); }

uint32_t VARNO_HOSTAPI fileSize(HostFile file) {
    const MemoryFile* f = fileOf(file);
    return f && f->bytes ? uint32_t(f->bytes->size()) : 0;
}

uint32_t VARNO_HOSTAPI fileRead(HostFile file, void* buffer, uint32_t bytes) {
    MemoryFile* f = fileOf(file);
    if (!f || !f->bytes || !buffer) return 0;
    const size_t size = f->bytes->size();
    const uint32_t left = f->position < size ? uint32_t(size - f->position) : 0;
    const uint32_t n = bytes < left ? bytes : left;
    if (n) std::memcpy(buffer, f->bytes->data() + f->position, n);
    f->position += n;
    return n;
}

int VARNO_HOSTAPI fileSeek(HostFile file, uint32_t position) {
    MemoryFile* f = fileOf(file);
    if (!f || !f->bytes || position > f->bytes->size()) return 0;
    f->position = position;
    return 1;
}

uint32_t VARNO_HOSTAPI fileTell(HostFile file) { return file ? fileOf(file)->position : 0; }

char* VARNO_HOSTAPI listEntries(HostFile archive) {
    MemoryFile* f = fileOf(archive);
    if (!f || f->bytes) return nullptr;
    f->names.clear();
    for (const PlayerFile& player : *f->players) {
        f->names.insert(f->names.end(), player.name.begin(), player.name.end());
        f->names.push_back(0);
    }
    f->names.push_back(0);
    return f->names.data(); // the host's to keep: it lives as long as the archive stays open

}

HostFile VARNO_HOSTAPI openEntry(HostFile archive, const char* entry, uint32_t) {
    const MemoryFile* f = fileOf(archive);
    if (!f || f->bytes || !entry) return nullptr;
    for (const PlayerFile& player : *f->players) {
        if (player.name != entry) continue;
        auto* file = new (std::nothrow) MemoryFile;
        if (file) file->bytes = &player.bytes;
        return handleOf(file);
    }
    return nullptr;
}

void* VARNO_HOSTAPI allocate(uint32_t bytes) { return std::malloc(bytes ? bytes : 1); }
void* VARNO_HOSTAPI reallocate(void* block, uint32_t bytes) { return std::realloc(block, bytes ? bytes : 1); }
void VARNO_HOSTAPI release(void* block) { std::free(block); }

} // namespace

const HostTables& memoryPlayersHost() {
    static const HostFileFunctions fileFunctions{fileOpen, nullptr,  fileClose, nullptr, fileSize, nullptr,
                                                 nullptr,  fileRead, fileSeek,  fileTell, nullptr,  nullptr,
                                                 nullptr,  nullptr,  listEntries, openEntry};
    static const HostMemoryFunctions memoryFunctions{nullptr, nullptr, allocate, reallocate, release};
    static const HostTables tables = [] {
        HostTables t{};
        t.fileFunctions = &fileFunctions;
        t.memoryFunctions = &memoryFunctions;
        return t;
    }();
    return tables;
}

std::string memoryPlayersPath(const std::vector<PlayerFile>& players) {
    char path[64];
    std::snprintf(path, sizeof path, "%s%p", kPrefix, static_cast<const void*>(&players));
    return path;
}

} // namespace varno
