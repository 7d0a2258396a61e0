// dos.library calls as replay routines use them: companion files opened, read
// and seeked through the host, directories as path prefixes, LoadSeg through
// the hunk loader.
#include "amigaos/dos_library.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "amigaos/dos_paths.h"
#include "amigaos/hunk_loader.h"
#include "memory/memory_region.h"

namespace varno {

namespace {


// AmigaDOS's failure value for Seek.
constexpr uint32_t kDosError = 0xFFFFFFFF;

constexpr int32_t kOffsetBeginning = -1;
constexpr int32_t kOffsetCurrent = 0;
constexpr int32_t kOffsetEnd = 1;

// Read copies through a small buffer: emulated memory keeps its bytes
// pair-swapped, so the host cannot read into it directly.
constexpr uint32_t kReadChunk = 4096;

} // namespace

const CDosLibrary::Call CDosLibrary::kCalls[] = {
    {-30, "Open", &CDosLibrary::open},
    {-36, "Close", &CDosLibrary::close},
    {-42, "Read", &CDosLibrary::read},
    {-66, "Seek", &CDosLibrary::seek},
    {-84, "Lock", &CDosLibrary::lock},
    {-90, "UnLock", &CDosLibrary::unLock},
    {-126, "CurrentDir", &CDosLibrary::currentDir},
    {-150, "LoadSeg", &CDosLibrary::loadSeg},
    // Write, Examine, UnLoadSeg and every other vector do nothing: files are
    // read-only and memory is never freed.
};

CDosLibrary::CDosLibrary(const OsParts& parts, uint32_t previousEnd, const char* pluginDirectory)
    : CLibrary(parts, kNegativeSize, 34, previousEnd, "dos.library"),
      pluginDirectoryRef(pluginDirectory),
      files_(parts.host ? parts.host->fileFunctions : nullptr) {
    writeVectors();
}

CDosLibrary::~CDosLibrary() { closeOpenFiles(); }

void CDosLibrary::dispatch(int16_t lvo) {
    for (const Call& call : kCalls)
        if (call.lvo == lvo) return (this->*call.run)();
}

void CDosLibrary::closeOpenFiles() {
    while (HostFile file = openFiles_.removeAny()) files_->close(file);
}

bool CDosLibrary::readName(uint32_t address, char (&out)[kPathSize]) const {
    out[0] = 0;
    const MemoryRegion& main = *parts.mainMemory;
    const MemoryRegion* region = main.contains(address) ? &main : memory->contains(address) ? memory : nullptr;
    if (!region) return true;  // a name outside memory reads as empty
    for (uint32_t i = 0; i < kPathSize; ++i) {
        if (!region->contains(address, i + 1)) break;
        const char c = char(region->readByte(address + i));
        if (c == 0) {
            out[i] = 0;
            return true;
        }
        if (i == kPathSize - 1) break;
        out[i] = c;
    }
    // Cut short, the name would name another file.
    out[0] = 0;
    return false;
}

bool CDosLibrary::pathFromName(uint32_t address, char (&out)[kPathSize]) const {
    char name[kPathSize];
    if (!readName(address, name)) return false;
    return joinPath(out, currentDirectory, name);
}

// D1 name, D2 access mode -> D0 handle or 0.
void CDosLibrary::open() {
    d0() = 0;
    char path[kPathSize];
    if (!files_ || !pathFromName(d1(), path)) return;
    if (!mapEagleplayerEnvironment(path, pluginDirectoryRef)) return;
    if (path[0] == 0) return;
    convertSeparators(path);
    if (d2() != kModeOldFile) return;  // nothing is ever written

    HostFile file = files_->open(path);
    if (!file) return;
    const uint32_t value = openFiles_.add(file);
    if (value == 0) {
        files_->close(file);
        return;
    }
    d0() = value;
}

// D1 handle -> D0 = 0. A handle that is not open here never reaches the host.
void CDosLibrary::close() {
    if (HostFile file = openFiles_.remove(d1())) files_->close(file);
    d0() = 0;
}

// D1 handle, D2 buffer, D3 length -> D0 bytes read, 0 when refused.
void CDosLibrary::read() {
    d0() = 0;
    HostFile file = openFiles_.find(d1());
    const uint32_t length = d3();
    if (!file || length == 0 || length > kMaxReadLength) return;

    // A buffer that runs past main memory is still fine for what the file has
    // left; when even that does not fit, nothing is read, so the position
    // stays and the player is not told of bytes it never got.
    MemoryRegion& main = *parts.mainMemory;
    const uint32_t buffer = d2();
    uint32_t wanted = length;
    if (!main.contains(buffer, wanted)) {
        const uint32_t size = files_->size(file);
        const uint32_t at = files_->tell(file);
        wanted = std::min(wanted, size > at ? size - at : 0u);
        if (wanted == 0 || !main.contains(buffer, wanted)) return;
    }

    uint8_t chunk[kReadChunk];
    uint32_t got = 0;
    while (got < wanted) {
        const uint32_t ask = std::min(wanted - got, kReadChunk);
        const uint32_t n = std::min(files_->read(file, chunk, ask), ask);
        main.writeBytes(buffer + got, chunk, n);
        got += n;
        if (n < ask) break;
    }
    d0() = got;
}

// D1 handle, D2 position, D3 mode -> D0 the position before, or -1.
void CDosLibrary::seek() {
    HostFile file = openFiles_.find(d1());
    if (!file) {
        d0() = kDosError;
        return;
    }
    const int64_t old = files_->tell(file);
    const int64_t size = files_->size(file);
    const int64_t position = int32_t(d2());
    int64_t target;
    switch (int32_t(d3())) {
    case kOffsetBeginning: target = position; break;
    case kOffsetCurrent: target = old + position; break;
    case kOffsetEnd: target = size + position; break;
    default: target = 0; break;  // an unknown mode rewinds
    }
    // Before the start is no position at all; the host refuses what it cannot reach.
    if (target < 0 || target > int64_t(UINT32_MAX) || !files_->seek(file, uint32_t(target))) {
        d0() = kDosError;
        return;
    }
    d0() = uint32_t(old);
}

// D1 name, D2 mode (ignored) -> D0 lock (always 1), or 0 for an unusable name.
void CDosLibrary::lock() {
    char path[kPathSize];
    if (!pathFromName(d1(), path)) {
        d0() = 0;
        return;
    }
    std::memcpy(savedDirectory, path, kPathSize);
    d0() = 1;
}

// D1 lock (ignored); D0 unchanged.
void CDosLibrary::unLock() { savedDirectory[0] = 0; }

// D1 lock (ignored) -> D0 = 0. The lock is always the directory of the last Lock.
void CDosLibrary::currentDir() {
    std::memcpy(currentDirectory, savedDirectory, kPathSize);
    d0() = 0;
}

// D1 name -> D0 segment list as a BCPL pointer, or 0.
void CDosLibrary::loadSeg() {
    d0() = 0;
    char path[kPathSize];
    if (!files_ || !pathFromName(d1(), path) || path[0] == 0) return;
    HostFile file = files_->open(path);
    if (!file) return;

    // An executable larger than all of main memory cannot load; refuse it
    // before taking a host buffer of its size.
    MemoryRegion& main = *parts.mainMemory;
    const uint32_t size = files_->size(file);
    if (size == 0 || size > main.size) {
        files_->close(file);
        return;
    }
    std::vector<uint8_t> data(size);
    uint32_t got = 0;
    while (got < size) {
        const uint32_t n = files_->read(file, data.data() + got, size - got);
        if (n == 0 || n > size - got) break;
        got += n;
    }
    files_->close(file);
    d0() = loadExecutable(main, data.data(), got) / 4;
}

} // namespace varno
