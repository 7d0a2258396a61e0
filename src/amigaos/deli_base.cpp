// Layout of the player-interface block and the callbacks players reach through it.
#include "amigaos/deli_base.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "amigaos/easo_block.h"
#include "amigaos/library.h"
#include "amigaos/opcodes.h"
#include "cpu/cpu.h"
#include "hardware/cia.h"
#include "memory/memory_region.h"
#include "platform/host_tables.h"

namespace varno {

namespace {

constexpr uint32_t kMaxPathChars = kDeliBufferSize - 1;
constexpr uint32_t kLoadFailed = 255;

// EASO data carries no replay routine of its own: it plays through the built-in
// block placed in front of it, with the data minus its "EASO" tag behind.
bool isEaso(const uint8_t* data, uint32_t size) { return size >= 4 && std::memcmp(data, "EASO", 4) == 0; }

// Every callback offset 56 .. 180 gets a stub (in that order), then the vectors
// -6 .. -390 below the base.
constexpr int kCallbackCount = (kDeliCallbacksLast - kDeliCallbacksFirst) / 4 + 1;

int16_t offsetOfStub(uint32_t index) {
    return index < uint32_t(kCallbackCount) ? int16_t(kDeliCallbacksFirst + 4 * index)
                                            : int16_t(-6 * int32_t(index - kCallbackCount + 1));
}

} // namespace

CDeliBase::CDeliBase(const OsParts& parts, uint32_t previousEnd) : parts(parts), memory(parts.lowMemory) {
    headerAddress = alignedStart(previousEnd);
    base = headerAddress + kDeliBaseOffset;
    directoryBuffer = headerAddress + kDeliDirectoryBuffer;
    fileBuffer = headerAddress + kDeliFileBuffer;
    pathBuffer = headerAddress + kDeliPathBuffer;
    trapAddress = headerAddress + kDeliTrapOffset;
    stubStart = trapAddress + 2;
    stubCursor = stubStart + kDeliStubCount * kDeliStubSize;
    initialise();
}

void CDeliBase::initialise() {
    memory->writeString(headerAddress, "Varno/DT/EP-API");
    memory->fill(base, 0, kDeliStructureSize);

    for (uint32_t i = 0; i < kDeliStubCount; ++i) {
        const int16_t offset = offsetOfStub(i);
        const uint32_t stub = stubStart + i * kDeliStubSize;
        memory->writeWord(stub, kOpMoveWordImmAbsLong);
        memory->writeWord(stub + 2, uint16_t(offset));
        memory->writeLong(stub + 4, trapAddress);
        memory->writeWord(stub + 8, kOpTstLongD0);  // callers test the result by the flags
        memory->writeWord(stub + 10, kOpRts);
        if (offset > 0) {
            memory->writeLong(base + uint32_t(offset), stub);
        } else {
            memory->writeWord(base - uint32_t(-offset), kOpJmpAbsLong);
            memory->writeLong(base - uint32_t(-offset) + 2, stub);
        }
    }

    memory->writeLong(base + kDeliDirectory, directoryBuffer);
    memory->writeLong(base + kDeliFileName, fileBuffer);
    memory->writeLong(base + kDeliPath, pathBuffer);
    for (uint32_t i = 0; i < 3; ++i) memory->writeWord(base + kDeliVolume + 2 * i, 64);  // full volume, centred
    memory->writeWord(base + kDeliTimer, kDefaultTimerLatch);
    memory->writeLong(base + kDeliZeroAreaPointer, base + kDeliZeroArea);
    memory->writeWord(base + kDeliVoices, 0x0F);  // all four voices on, at full volume
    for (uint32_t i = 0; i < 4; ++i) memory->writeWord(base + kDeliVoiceVolumes + 2 * i, 64);

    // The player's timer Interrupt: node type interrupt, named, code filled in
    // when a player is started.
    memory->writeByte(base + kDeliInterrupt + kLibNodeType, kNodeTypeInterrupt);
    memory->writeLong(base + kDeliInterrupt + kLibNodeName, base + kDeliInterruptName);
    memory->writeString(base + kDeliInterruptName, "VarnoTimer");
}

void CDeliBase::dispatch(int16_t offset) {
    switch (offset) {
    case kDeliListData: answerListData(); break;
    case kDeliLoadFile:
    case kDeliLoadFileAgain: loadFile(); break;
    case kDeliCopyDir: appendToPath(parts.owner->directoryOfModule()); break;
    case kDeliCopyFile: appendToPath(parts.owner->fileNameOfModule()); break;
    case kDeliCopyString: {
        char text[kDeliBufferSize];
        parts.mainMemory->readString(processor->cpuState.a[0], text, kMaxPathChars);
        appendToPath(text);
        break;
    }
    case kDeliSongEnd: parts.owner->signalSongEnd(); break;
    case kDeliSetTimer: setTimer(); break;
    case kDeliCodePatch: codePatch(); break;
    case kDeliVectorZero: processor->cpuState.d[0] = 0; break;
    default: break;  // every other callback and vector does nothing
    }
}

void CDeliBase::answerListData() {
    CpuState& registers = processor->cpuState;
    const uint32_t index = registers.d[0];
    if (index < listCount) {
        registers.a[0] = listData[index].address;
        registers.d[0] = listData[index].size;
    } else {
        registers.a[0] = 0;
        registers.d[0] = 0;
    }
}

// The path string lives wherever the long at B + 32 points, normally the path
// buffer. It is read from anywhere in low memory but written back only inside
// the block's three text buffers and never longer than one buffer: a player that
// points it elsewhere cannot overwrite SysBase, the vectors or the trap word.
void CDeliBase::appendToPath(const char* text) {
    const uint32_t path = memory->readLong(base + kDeliPath);
    char joined[2 * kDeliBufferSize];
    const size_t length = memory->readString(path, joined, kMaxPathChars);
    const size_t extra = std::strlen(text);
    const uint32_t bytes = uint32_t(length + extra + 1);
    const bool inBuffers = path >= directoryBuffer && path < pathBuffer + kDeliBufferSize &&
                           pathBuffer + kDeliBufferSize - path >= bytes;
    if (!inBuffers || length + extra > kMaxPathChars) return;
    std::memcpy(joined + length, text, extra + 1);
    memory->writeString(path, joined);
}

void CDeliBase::loadFile() {
    char path[kDeliBufferSize];
    memory->readString(memory->readLong(base + kDeliPath), path, kMaxPathChars);

    // Host paths use backslashes; in a network address only the part naming an
    // archive entry is a host path.
    std::string_view view(path);
    const bool network = view.find("http://") != view.npos || view.find("ftp://") != view.npos;
    size_t from = 0;
    if (network) from = view.find('|') == view.npos ? view.size() : view.find('|') + 1;
    for (size_t i = from; i < view.size(); ++i)
        if (path[i] == '/') path[i] = '\\';

    uint32_t& d0 = processor->cpuState.d[0];
    const HostFileFunctions* files = parts.host ? parts.host->fileFunctions : nullptr;
    HostFile file = files ? files->open(path) : nullptr;
    if (!file) {
        d0 = kLoadFailed;
        return;
    }
    // A file larger than the free emulated memory cannot be placed; it fails
    // like a missing one instead of allocating a host buffer for it.
    const MemoryRegion& main = *parts.mainMemory;
    const uint32_t size = files->size(file);
    const uint64_t room = uint64_t(main.base) + main.size - main.cursor;
    if (size > room) {
        files->close(file);
        d0 = kLoadFailed;
        return;
    }
    std::vector<uint8_t> data(size);
    uint32_t got = 0;
    while (got < size) {
        const uint32_t n = files->read(file, data.data() + got, size - got);
        if (n == 0 || n > size - got) break;
        got += n;
    }
    files->close(file);
    d0 = place(data.data(), got, kPlaceListData) ? 0 : kLoadFailed;
}

// Loads CIA-B timer A from the word at B + 54.
void CDeliBase::setTimer() {
    const uint16_t value = memory->readWord(base + kDeliTimer);
    if (CiaChip* cia = parts.ciaB) {
        cia->TALO = uint8_t(value);
        cia->TAHI = uint8_t(value >> 8);
    }
    parts.owner->timerLatchWritten();
}

uint32_t CDeliBase::place(const uint8_t* data, uint32_t size, uint32_t kind) {
    MemoryRegion& main = *parts.mainMemory;
    uint32_t address;
    if (isEaso(data, size)) {
        if (size > main.size) return 0;
        address = main.allocate(size + kEasoBlockSize);
        if (address == 0) return 0;
        main.writeBytes(address, kEasoBlock, kEasoBlockSize);
        main.writeBytes(address + kEasoBlockSize, data + 4, size - 4);
        // The recorded size counts four bytes the data does not fill; they read as zero.
        main.fill(address + kEasoBlockSize + size - 4, 0, 4);
        size += kEasoBlockSize;
    } else {
        address = main.allocate(size);
        if (address == 0) return 0;
        main.writeBytes(address, data, size);
    }
    if ((kind & kPlaceListData) && listCount < kMaxListData) listData[listCount++] = {address, size};
    if (kind & kPlaceCheckData) {
        memory->writeLong(base + kDeliCheckData, address);
        memory->writeLong(base + kDeliCheckSize, size);
    }
    return address;
}

} // namespace varno
