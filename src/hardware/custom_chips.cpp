// DMA and interrupt control of the custom chips: the SET/CLR registers and the
// channel starts and stops a DMACON write causes.
#include "hardware/custom_chips.h"

namespace varno {


void resetCustomChips(CustomChips& chips) {
    chips.intena = INTF_INTEN;
    chips.intreq = 0;
    chips.dmacon = DMAF_MASTER;
    chips.adkcon = 0;
    chips.vhposCounter = 0;
    chips.vposCounter = 0;
    for (PaulaChannel& channel : chips.paulaChannels) resetPaulaChannel(channel);
    for (uint32_t& code : chips.faultedServer) code = 0;
}

void dispatchAudioInterrupts(CustomChips& chips) {
    // Most players take no audio interrupts: then no channel has one pending.
    if (!(chips.intena & chips.intreq & (INTF_AUD0 | INTF_AUD0 << 1 | INTF_AUD0 << 2 | INTF_AUD0 << 3))) {
        for (PaulaChannel& channel : chips.paulaChannels) channel.intPending = 0;
        return;
    }
    for (int n : channelOrder) {
        const uint16_t bit = uint16_t(INTF_AUD0 << n);
        if (chips.owner && (chips.intena & chips.intreq & bit)) chips.owner->deliverAudioInterrupt(chips, n);
        // Read after the delivery: a server that acknowledged its request cleared it.
        chips.paulaChannels[n].intPending = chips.intena & chips.intreq & bit;
    }
}

namespace {

uint16_t setClear(uint16_t reg, uint16_t value) {
    return (value & 0x8000) ? uint16_t(reg | (value & 0x7FFF)) : uint16_t(reg & ~(value & 0x7FFF));
}

} // namespace

void writeDmacon(CustomChips& chips, uint16_t value) {
    const uint16_t old = chips.dmacon;
    uint16_t now = setClear(old, value);
    // Without the master enable no DMA bit survives.
    if (!(now & DMAF_MASTER)) now = 0;
    chips.dmacon = now;
    const bool set = value & DMAF_SETCLR;
    for (int n : channelOrder) {
        const uint16_t bit = uint16_t(1u << n);
        if (set && (now & bit) && !(old & bit)) {
            chips.paulaChannels[n].state = kPaulaStart;
            stepChannel(chips, n);
            stepChannel(chips, n);
        } else if (!set && !(now & bit) && (old & bit)) {
            chips.paulaChannels[n].state = kPaulaIdle;
            stepChannel(chips, n); // silences the channel
        }
    }
}

void writeIntena(CustomChips& chips, uint16_t value) {
    if (value & INTF_SETCLR) chips.intena |= uint16_t(value & 0x7FFF);
    else chips.intena &= uint16_t(~(value & 0xBFFF)); // INTEN stays set
    dispatchAudioInterrupts(chips);
}

void writeIntreq(CustomChips& chips, uint16_t value) {
    if (value & INTF_SETCLR) {
        chips.intreq |= uint16_t(value & 0x7FFF);
        dispatchAudioInterrupts(chips);
    } else {
        chips.intreq &= uint16_t(~(value & 0x7FFF));
    }
}

void writeAdkcon(CustomChips& chips, uint16_t value) { chips.adkcon = setClear(chips.adkcon, value); }

} // namespace varno
