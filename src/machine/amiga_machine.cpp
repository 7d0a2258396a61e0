// The machine record: its buffers, pan gains and timing values.
#include "machine/amiga_machine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "amigaos/system.h"
#include "machine/cpu_context.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/settings.h"

namespace varno {

AmigaMachine::AmigaMachine() { updatePan(); }

AmigaMachine::~AmigaMachine() = default;

void AmigaMachine::updatePan() {
    // Separations outside 0..100 % would take the square root of a negative number.
    float s = settings->surround ? 1.0f : float(std::clamp(settings->stereo_separation, 0, 100)) / 100.0f;
    float hi = std::sqrt(0.5f + s / 2.0f);
    float lo = std::sqrt(std::max(0.0f, 0.5f - s / 2.0f));
    const float pans[4][2] = {{hi, lo}, {lo, hi}, {lo, hi}, {hi, lo}};
    std::copy(&pans[0][0], &pans[0][0] + 8, &channelPan[0][0]);
}

void AmigaMachine::updateTickLength() {
    float clock = cpu ? cpu->clockHz : kCpuClockHz;
    tickSeconds = float(tickLatch()) / (clock / 10.0f);
    long samples = std::lround(tickSeconds * float(sampleRate));
    samplesPerTick = int32_t(uint16_t(samples & ~1L));
}

OsParts AmigaMachine::osParts() {
    return {lowMemory.get(), mainMemory.get(), ciaA.get(), ciaB.get(), customChips.get(), host, this};
}

uint32_t AmigaMachine::processorCycles() { return cpu ? cpu::readCycles(cpu->processor) : 0; }

uint16_t AmigaMachine::tickLatch() const { return timerLatch(ciaA.get(), ciaB.get(), timerSource); }

void AmigaMachine::reportFault(const std::string& text) const {
    if (faultSink) faultSink(text);
    else std::fprintf(stderr, "%s\n", text.c_str());
}


} // namespace varno
