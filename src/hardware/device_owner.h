// What a device asks of the machine it sits in. The CIAs and the custom chips get
// this narrow view instead of the whole machine: the tick length (which the
// machine asks of the song it plays) and the delivery of audio interrupts are
// the machine's business, not theirs.
#pragma once

#include <cstdint>

namespace varno {

struct CustomChips;

constexpr uint16_t kDefaultTimerLatch = 14188; // 50 Hz at the CIA rate

class DeviceOwner {
public:
    // The latch of the timer that paces the player (CIA counts per tick);
    // kDefaultTimerLatch when no timer paces it or its latch is 0.
    virtual uint16_t tickLatch() const = 0;
    // A CIA timer's high latch byte was written: the tick may have a new length.
    virtual void timerLatchWritten() = 0;
    // Channel n's audio interrupt is requested and enabled: run or raise the
    // server the player installed for it.
    virtual void deliverAudioInterrupt(CustomChips& chips, int channel) = 0;
    // The machine processor's cycle count, for reads that are timed against the code
    // that makes them.
    virtual uint32_t processorCycles() = 0;

protected:
    ~DeviceOwner() = default;
};

} // namespace varno
