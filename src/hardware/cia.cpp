// The CIA register files: byte access to ports, timer latches and the
// time-of-day counter. Writing a latch high byte retimes the player's tick.
#include "hardware/cia.h"

namespace varno {


namespace {

enum CiaRegister : uint32_t {
    PRA, PRB, DDRA, DDRB, TALO, TAHI, TBLO, TBHI, TODLO, TODMID, TODHI, UNUSED11, SDR, ICR, CRA, CRB,
    NotARegister
};

// CIA-A answers at odd addresses 0xBFE001 + 0x100 r, CIA-B at even addresses
// 0xBFD000 + 0x100 r. One decoder serves both; each region only sees its own set.
CiaRegister decode(uint32_t address) {
    const uint32_t chip = address & 0xFFF000;
    const uint32_t low = address & 0xFF;
    if ((chip == kCiaABase && low == 0x01) || (chip == kCiaBBase && low == 0x00))
        return CiaRegister((address >> 8) & 0xF);
    return NotARegister;
}

uint32_t readRegister(CiaChip* cia, uint32_t address) {
    if (!cia) return 0;
    switch (decode(address)) {
    case PRA: return cia->PRA;
    case PRB: return cia->PRB;
    case DDRA: return cia->DDRA;
    case TALO: return cia->TALO;
    case TAHI: return cia->TAHI;
    case TBLO: return cia->TBLO;
    case TBHI: return cia->TBHI;
    case TODLO: return cia->TODLO++; // the clock only moves when it is read
    case SDR: return cia->SDR;
    case ICR: return cia->ICR;       // reading clears nothing
    case CRA: return cia->CRA;
    case CRB: return cia->CRB;
    default: return 0;
    }
}

void retime(CiaChip* cia) {
    if (cia->owner) cia->owner->timerLatchWritten();
}

void writeRegister(CiaChip* cia, uint32_t address, uint8_t value) {
    if (!cia) return;
    switch (decode(address)) {
    case PRA: cia->PRA = value; break;
    case DDRA: cia->DDRA = value; break;
    case TALO: cia->TALO = value; break;
    case TAHI: cia->TAHI = value; retime(cia); break;
    case TBLO: cia->TBLO = value; break;
    case TBHI: cia->TBHI = value; retime(cia); break;
    case CRA: cia->CRA = value; break;
    case CRB: cia->CRB = value; break;
    default: break;
    }
}

CiaChip* chipOf(const BusRegion& region) { return static_cast<CiaChip*>(region.device); }

uint32_t ciaReadByte(uint32_t address, const BusRegion& region) { return readRegister(chipOf(region), address); }
void ciaWriteByte(uint32_t address, uint32_t data, const BusRegion& region) {
    writeRegister(chipOf(region), address, uint8_t(data));
}

// The CIAs sit on the low byte lanes only: word accesses do nothing.
uint32_t ciaReadWord(uint32_t, const BusRegion&) { return 0; }
void ciaWriteWord(uint32_t, uint32_t, const BusRegion&) {}

} // namespace

void resetCia(CiaChip& cia) {
    DeviceRegion header = cia.header;
    DeviceOwner* owner = cia.owner;
    cia = CiaChip{};
    cia.header = header;
    cia.owner = owner;
    if (header.base == kCiaABase) cia.DDRA = kCiaADdraAtBoot;
}

bool powerLedOn(const CiaChip& ciaA) {
    constexpr uint8_t kLedBit = 0x02;
    return (ciaA.DDRA & kLedBit) && !(ciaA.PRA & kLedBit);
}

RegionHandlers ciaHandlers(CiaChip& cia) { return RegionHandlers{ciaReadByte, ciaReadWord, ciaWriteByte, ciaWriteWord, &cia}; }

uint16_t timerLatch(const CiaChip* a, const CiaChip* b, uint32_t source) {
    // A latch of 0 would give ticks of no length and stall rendering; it plays as
    // the default tick instead.
    auto latch = [](uint8_t hi, uint8_t lo) {
        uint16_t v = uint16_t(hi << 8 | lo);
        return v ? v : kDefaultTimerLatch;
    };
    switch (source) {
    case 1: return a ? latch(a->TAHI, a->TALO) : kDefaultTimerLatch;
    case 2: return a ? latch(a->TBHI, a->TBLO) : kDefaultTimerLatch;
    case 3: return b ? latch(b->TAHI, b->TALO) : kDefaultTimerLatch;
    case 4: return b ? latch(b->TBHI, b->TBLO) : kDefaultTimerLatch;
    default: return kDefaultTimerLatch;
    }
}

} // namespace varno
