// Library layout in low memory and its call stubs.
#include "amigaos/library.h"

#include <cstring>

#include "amigaos/opcodes.h"
#include "memory/memory_region.h"

namespace varno {

CLibrary::CLibrary(const OsParts& parts, uint32_t negativeSize, uint32_t positiveSize, uint32_t previousEnd,
                   const char* name)
    : parts(parts), memory(parts.lowMemory), name_(name) {
    const uint32_t nameArea = (uint32_t(std::strlen(name)) + 1 + 15) & ~15u;
    nameAddress_ = alignedStart(previousEnd);
    base_ = nameAddress_ + nameArea + negativeSize;
    trapAddress_ = base_ + positiveSize;
    stubStart_ = trapAddress_ + 4;
    stubCursor_ = stubStart_;

    memory->writeString(nameAddress_, name);
    memory->fill(base_, 0, positiveSize);
    memory->writeByte(base_ + kLibNodeType, kNodeTypeLibrary);
    memory->writeLong(base_ + kLibNodeName, nameAddress_);
    memory->writeLong(base_ + kLibIdString, nameAddress_);
    for (int16_t lvo = -6; lvo >= -24; lvo -= 6) writeVector(lvo);
}

void CLibrary::writeVector(int16_t lvo) {
    const uint32_t vector = base_ + uint32_t(int32_t(lvo));
    memory->writeWord(vector, kOpJmpAbsLong);
    memory->writeLong(vector + 2, stubCursor_);

    memory->writeWord(stubCursor_, kOpMoveWordImmAbsLong);
    memory->writeWord(stubCursor_ + 2, uint16_t(lvo));
    memory->writeLong(stubCursor_ + 4, trapAddress_);
    memory->writeWord(stubCursor_ + 8, kOpRts);
    stubCursor_ += kLibStubSize;
}

void CLibrary::writeVectors() {
    for (int32_t lvo = -30; lvo >= -int32_t(negativeSize()); lvo -= 6) writeVector(int16_t(lvo));
}

} // namespace varno
