#include "fuzz/memory_archive.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

namespace varno {
struct HostFileObject {
    const std::vector<uint8_t>* bytes = nullptr;  // null for the archive itself
    uint32_t position = 0;
};
} // namespace varno

namespace varno::fuzz {

namespace {

std::set<HostFileObject*> openFiles;
std::vector<char> entryNames;

HostFile openBytes(const std::vector<uint8_t>* bytes) {
    auto* file = new HostFileObject{bytes, 0};
    openFiles.insert(file);
    return file;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

HostFile VARNO_HOSTAPI fileOpen(const char* path) {
    if (!path) return nullptr;
    const std::string name = path;
    if (endsWith(name, "xmp-varno.dat")) return openBytes(nullptr);
    const auto it = memoryFiles().files.find(name);
    return it == memoryFiles().files.end() ? nullptr : openBytes(&it->second);
}

void VARNO_HOSTAPI fileClose(HostFile file) {
    if (openFiles.erase(file)) delete file;
}

uint32_t VARNO_HOSTAPI fileSize(HostFile file) {
    return file && file->bytes ? uint32_t(file->bytes->size()) : 0;
}

uint32_t VARNO_HOSTAPI fileRead(HostFile file, void* buffer, uint32_t bytes) {
    if (!file || !file->bytes || !buffer) return 0;
    const size_t size = file->bytes->size();
    const uint32_t left = file->position < size ? uint32_t(size - file->position) : 0;
    const uint32_t n = bytes < left ? bytes : left;
    if (n) std::memcpy(buffer, file->bytes->data() + file->position, n);
    file->position += n;
    return n;
}

int VARNO_HOSTAPI fileSeek(HostFile file, uint32_t position) {
    if (!file || !file->bytes || position > file->bytes->size()) return 0;
    file->position = position;
    return 1;
}

uint32_t VARNO_HOSTAPI fileTell(HostFile file) { return file ? file->position : 0; }

char* VARNO_HOSTAPI listEntries(HostFile archive) {
    if (!archive || archive->bytes) return nullptr;
    entryNames.clear();
    for (const auto& [name, bytes] : memoryFiles().archive) {
        entryNames.insert(entryNames.end(), name.begin(), name.end());
        entryNames.push_back(0);
    }
    entryNames.push_back(0);
    return entryNames.data();
}

HostFile VARNO_HOSTAPI openEntry(HostFile archive, const char* entry, uint32_t) {
    if (!archive || archive->bytes || !entry) return nullptr;
    for (const auto& [name, bytes] : memoryFiles().archive)
        if (name == entry) return openBytes(&bytes);
    return nullptr;
}

void* VARNO_HOSTAPI allocate(uint32_t bytes) { return std::malloc(bytes ? bytes : 1); }
void* VARNO_HOSTAPI reallocate(void* block, uint32_t bytes) { return std::realloc(block, bytes ? bytes : 1); }
void VARNO_HOSTAPI release(void* block) { std::free(block); }

} // namespace

MemoryFiles& memoryFiles() {
    static MemoryFiles files;
    return files;
}

const HostTables& memoryHost() {
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

size_t openMemoryFiles() { return openFiles.size(); }

} // namespace varno::fuzz
