// CIA resource calls: AddICRVector, RemICRVector, AbleICR, SetICR.
#include "amigaos/cia_resource.h"

#include "cpu/cpu.h"
#include "hardware/cia.h"
#include "memory/memory_region.h"

namespace varno {

namespace {
constexpr int16_t kAddICRVector = -6;
constexpr int16_t kRemICRVector = -12;
constexpr int16_t kAbleICR = -18;
constexpr int16_t kSetICR = -24;
constexpr uint8_t kTimerA = 0x01, kTimerB = 0x02, kStart = 0x01, kSetClear = 0x80;
} // namespace

CCiaResource::CCiaResource(const OsParts& parts, uint32_t previousEnd, const char* name, CiaChip* ciaDevice)
    : CResource(parts, 24, 34, previousEnd, name), ciaDevice(ciaDevice) {
    writeVectors();
    memory->writeByte(baseAddress() + kLibNodeType, kNodeTypeResource);
}

void CCiaResource::dispatch(int16_t lvo) {
    switch (lvo) {
    case kAddICRVector: addICRVector(); break;
    case kRemICRVector: break;  // the interrupt pointers stay until reset
    case kAbleICR:
    case kSetICR: ableICR(); break;  // no pending-request bits exist: both act on the enable mask
    default: break;
    }
}

// Claims timer A (bit 0) or B (bit 1) and starts it; there is no check that the
// timer is already taken.
void CCiaResource::addICRVector() {
    uint32_t& d0 = registers().d[0];
    const uint32_t interrupt = a1();
    if (d0 != 0 && d0 != 1) {
        d0 = 0xFFFFFFFF;
        return;
    }
    const bool timerA = d0 == 0;
    (timerA ? timerAInterrupt : timerBInterrupt) = interrupt;
    if (ciaDevice) {
        ciaDevice->ICR |= timerA ? kTimerA : kTimerB;
        (timerA ? ciaDevice->CRA : ciaDevice->CRB) |= kStart;
    }
    d0 = 0;
}

void CCiaResource::ableICR() {
    uint32_t& d0 = registers().d[0];
    const uint8_t old = ciaDevice ? ciaDevice->ICR : 0;
    if (ciaDevice) {
        const uint8_t bits = d0 & 0x7F;
        if (d0 & kSetClear)
            ciaDevice->ICR |= bits;
        else
            ciaDevice->ICR &= uint8_t(~bits);
    }
    d0 = old;
}

} // namespace varno
