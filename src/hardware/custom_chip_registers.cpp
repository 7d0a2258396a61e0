// The custom-chip register map: the four bus handlers of the device at
// 0xDFF000. Reads of VPOSR, VHPOSR and INTREQR have side effects.
#include "hardware/custom_chips.h"

#include "cpu/cpu.h"

namespace varno {

namespace {

// Register offsets from 0xDFF000.
constexpr uint32_t DMACONR = 0x002;
constexpr uint32_t VPOSR = 0x004;
constexpr uint32_t VHPOSR = 0x006;
constexpr uint32_t ADKCONR = 0x010;
constexpr uint32_t INTENAR = 0x01C;
constexpr uint32_t INTREQR = 0x01E;
constexpr uint32_t DMACON = 0x096;
constexpr uint32_t INTENA = 0x09A;
constexpr uint32_t INTREQ = 0x09C;
constexpr uint32_t ADKCON = 0x09E;
constexpr uint32_t AUD0LCH = 0x0A0; // AUDx registers repeat every 16 bytes
constexpr uint32_t AUD3DAT = 0x0DA;
constexpr uint32_t AUDLCH = 0x0, AUDLCL = 0x2, AUDLEN = 0x4, AUDPER = 0x6, AUDVOL = 0x8, AUDDAT = 0xA;

// Polling INTREQR in a tight loop is answered with all bits set: audio DMA only
// advances between runs of emulated code, so no request could ever appear.
constexpr uint32_t kQuickReadCycles = 50;
constexpr uint32_t kQuickReadsBeforeAllSet = 6;

// Reading INTREQR counts towards the busy-wait rule.
uint16_t readIntreqr(CustomChips& chips) {
    const uint32_t now = chips.owner ? chips.owner->processorCycles() : 0;
    const uint32_t d = now - chips.lastIntreqrCycles;
    chips.lastIntreqrCycles = now;
    if (d == 0 || d >= kQuickReadCycles) chips.quickIntreqrReads = 0;
    else ++chips.quickIntreqrReads;
    if (chips.quickIntreqrReads >= kQuickReadsBeforeAllSet) {
        chips.quickIntreqrReads = 0;
        return 0xFFFF;
    }
    return chips.intreq;
}

uint32_t offsetOf(uint32_t address) { return address & 0xFFF; }

CustomChips* chipsOf(const BusRegion& region) { return static_cast<CustomChips*>(region.device); }

uint32_t readWord(uint32_t address, const BusRegion& region) {
    CustomChips* chips = chipsOf(region);
    if (!chips) return 0;
    switch (offsetOf(address)) {
    case DMACONR: return chips->dmacon;
    case DMACONR + 1: return uint32_t(chips->dmacon & 0xFF) << 8;
    case VPOSR: return ++chips->vposCounter;     // every read moves the beam
    case VHPOSR: return ++chips->vhposCounter;
    case ADKCONR: return chips->adkcon;
    case INTENAR: return chips->intena & 0xBFFF;
    case INTENAR + 1: return uint32_t(chips->intena & 0xFF) << 8;
    case INTREQR: return readIntreqr(*chips);
    case INTREQR + 1: return chips->intreq;
    default: return 0;
    }
}

uint32_t readByte(uint32_t address, const BusRegion& region) {
    CustomChips* chips = chipsOf(region);
    if (!chips) return 0;
    switch (offsetOf(address)) {
    case DMACONR:
    case DMACONR + 1: return chips->dmacon & 0xFF;
    case VHPOSR: return ++chips->vhposCounter & 0xFF;
    case VHPOSR + 1:
        // The high byte steps and the low byte restarts, so any awaited value
        // comes within 256 reads.
        chips->vhposCounter = uint16_t((chips->vhposCounter & 0xFF00) + 0x100);
        return chips->vhposCounter >> 8;
    case ADKCONR: return chips->adkcon & 0xFF;
    case INTENAR:
    case INTENAR + 1: return chips->intena & 0xFF;
    case INTREQR: return readIntreqr(*chips) & 0xFF;
    case INTREQR + 1: return chips->intreq >> 8;
    default: return 0;
    }
}

void writeAudioRegister(CustomChips& chips, uint32_t offset, uint16_t value) {
    PaulaChannel& channel = chips.paulaChannels[(offset - AUD0LCH) >> 4];
    switch ((offset - AUD0LCH) & 0xF) {
    case AUDLCH: writeAudLch(channel, value); break;
    case AUDLCL: writeAudLcl(channel, value); break;
    case AUDLEN: writeAudLen(channel, value); break;
    case AUDPER: writeAudPer(channel, value); break;
    case AUDVOL: writeAudVol(channel, value); break;
    case AUDDAT: writeAudDat(channel, value); break;
    default: break;
    }
}

void writeWord(uint32_t address, uint32_t data, const BusRegion& region) {
    CustomChips* chips = chipsOf(region);
    if (!chips) return;
    const uint32_t offset = offsetOf(address);
    const uint16_t value = uint16_t(data);
    switch (offset) {
    case DMACON: writeDmacon(*chips, value); return;
    case INTENA: writeIntena(*chips, value); return;
    case INTREQ: writeIntreq(*chips, value); return;
    case ADKCON: writeAdkcon(*chips, value); return;
    default: break;
    }
    if (offset >= AUD0LCH && offset <= AUD3DAT && !(offset & 1)) writeAudioRegister(*chips, offset, value);
}

void writeByte(uint32_t address, uint32_t data, const BusRegion& region) {
    CustomChips* chips = chipsOf(region);
    if (!chips) return;
    const uint32_t offset = offsetOf(address);
    // Only AUDxVOL takes byte writes, at either of its two addresses.
    if (offset >= AUD0LCH && offset <= AUD3DAT + 1 && ((offset - AUD0LCH) & 0xE) == AUDVOL)
        writeAudVol(chips->paulaChannels[(offset - AUD0LCH) >> 4], uint8_t(data));
}

} // namespace

RegionHandlers customChipsHandlers(CustomChips& chips) {
    return RegionHandlers{readByte, readWord, writeByte, writeWord, &chips};
}

} // namespace varno
