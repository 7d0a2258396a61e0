// The render loop behind the host's decode call. The audio path runs one tick
// behind the player: slot 2 is generated, slot 1 is heard, slot 0 is context.
#include "session/render.h"

#include <algorithm>

#include "audio/amiga_output.h"
#include "audio/mixer.h"
#include "audio/paula_steps.h"
#include "audio/resample.h"
#include "hardware/paula.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"
#include "session/frame_driver.h"
#include "machine/settings.h"

namespace varno {

namespace {

// Tempos so fast that a tick rounds to no output at all would stall the loop;
// such ticks are heard for one frame pair instead.
constexpr int32_t kMinTickFrames = 2;

bool amigaModel(int32_t interpolation) {
    return interpolation == kInterpolationA500 || interpolation == kInterpolationA1200;
}

void resampleChannels(AmigaMachine& m, int32_t frames, int32_t interpolation) {
    if (amigaModel(interpolation)) {
        renderAmigaChannels(m, interpolation, frames);
        return;
    }
    // The models' state is stale once another mode has played.
    m.amigaOutput.model = 0;
    const bool sinc = interpolation != 0;
    for (int c = 0; c < 4; ++c) {
        float* dst = m.resampledBuffers[c].get();
        const int32_t* counts = m.channelCounts[c];
        if (sinc)
            resampleSinc(counts[0], counts[1], m.channelBuffers[c][1].get(), frames, dst, m.channelBuffers[c][0].get(),
                         m.channelBuffers[c][2].get(), counts[2]);
        else
            resampleNearest(m.channelBuffers[c][1].get(), counts[1], dst, frames);
    }
}

int32_t mixChannels(AmigaMachine& m, float* dst, int32_t frames) {
    if (m.outputChannels == 1) return mixMono(m, dst, frames);
    if (m.settings->surround) return mixSurround(m, dst, frames);
    return mixStereo(m, dst, frames);
}

// The LED filter acts on the Amiga's two outputs, after the channels are mixed.
int32_t mixTick(AmigaMachine& m, float* dst, int32_t frames, int32_t interpolation) {
    const int32_t values = mixChannels(m, dst, frames);
    if (amigaModel(interpolation)) filterAmigaOutput(m, dst, frames);
    return values;
}

} // namespace

// Slot 1 becomes the context of the next tick, slot 2 the tick heard next. The
// buffers trade places; slot 2 is written whole by the next tick.
void shiftSlots(AmigaMachine& m) {
    for (int c = 0; c < 4; ++c) {
        auto& slots = m.channelBuffers[c];
        std::rotate(slots, slots + 1, slots + 3);
        int32_t* counts = m.channelCounts[c];
        counts[0] = counts[1];
        counts[1] = counts[2];
    }
    m.slotTickSamples[0] = m.slotTickSamples[1];
    m.slotTickSamples[1] = m.slotTickSamples[2];
    m.slotLedFilter[0] = m.slotLedFilter[1];
    m.slotLedFilter[1] = m.slotLedFilter[2];
    m.slotSound[0] = m.slotSound[1];
    m.slotSound[1] = m.slotSound[2];
}

namespace {

// One part of a request, count <= kRenderPartValues. What waits in the half
// from the last part goes out first; a tick that fits whole is mixed straight
// into out, and only the one that passes its end goes through the half, whose
// surplus then waits for the next part in the other half.
int32_t renderPart(AmigaMachine& m, float* out, int32_t count) {
    const int32_t cur = m.outputSelect;
    float* half = m.outputBuffers[cur].get();
    int32_t have = m.outputFill[cur];
    std::copy(half, half + std::min(have, count), out);
    while (have < count) {
        if (endCheck(m)) {
            m.outputFill[0] = m.outputFill[1] = 0;
            m.outputSelect = 1 - cur;
            return have;
        }
        runTick(m, 2);
        const int32_t frames = m.slotTickSamples[1];
        m.noteTickFrames(frames);
        // Read once: the configuration dialog may change it while we render.
        const int32_t interpolation = m.settings->interpolation;
        resampleChannels(m, frames, interpolation);
        detectSilence(m, frames, interpolation == 0);
        const int32_t values = frames * (m.outputChannels == 1 ? 1 : 2);
        if (have + values <= count) {
            have += mixTick(m, out + have, frames, interpolation);
        } else {
            const int32_t got = mixTick(m, half + have, frames, interpolation);
            std::copy(half + have, half + std::min(count, have + got), out + have);
            have += got;
            m.noteOutputValues(have);
        }
        shiftSlots(m);
        recordSongEnd(m);
    }
    const int32_t surplus = have - count;
    std::copy(half + count, half + have, m.outputBuffers[1 - cur].get());
    m.outputFill[1 - cur] = surplus;
    m.outputFill[cur] = 0;
    m.outputSelect = 1 - cur;
    return count;
}

} // namespace

namespace {

// The player's tick and the LED it left; false when the tick routine did not run.
bool tickPlayer(AmigaMachine& m, int slot) {
    if (!playerTick(m)) {
        // The next tick to hear repeats this one, as when the slots were copied along.
        if (slot == 2) {
            for (int c = 0; c < 4; ++c) {
                std::copy_n(m.channelBuffers[c][1].get(), m.channelCounts[c][1], m.channelBuffers[c][2].get());
                m.channelCounts[c][2] = m.channelCounts[c][1];
            }
            m.slotTickSamples[2] = m.slotTickSamples[1];
            m.slotLedFilter[2] = m.slotLedFilter[1];
            m.slotSound[2] = m.slotSound[1];
        }
        return false;
    }
    // The tick routine has run and the tick's samples start now: its LED writes
    // switch the filter for the whole tick. Writes from audio interrupts during
    // the tick take effect with the next one.
    m.slotLedFilter[slot] = m.ciaA && powerLedOn(*m.ciaA);
    return true;
}

// Read after the tick: a tempo change made by the routine already applies.
void noteTickLength(AmigaMachine& m, int slot) { m.slotTickSamples[slot] = std::max(m.samplesPerTick, kMinTickFrames); }

} // namespace

void runTick(AmigaMachine& m, int slot) {
    if (!tickPlayer(m, slot)) return;
    for (int n : channelOrder) {
        m.channelCounts[n][slot] = m.customChips ? renderChannelTick(*m.customChips, n, m.channelBuffers[n][slot].get()) : 0;
        m.noteSlotSamples(m.channelCounts[n][slot]);
    }
    m.slotSound[slot] = -1;
    noteTickLength(m, slot);
}

void runSilentTick(AmigaMachine& m, int32_t loudness) {
    if (!tickPlayer(m, 2)) return;
    bool heard = false;
    for (int n : channelOrder) {
        m.channelCounts[n][2] = m.customChips ? skipChannelTick(*m.customChips, n, loudness, heard) : 0;
        // Nothing is written, but a faulted tick after it copies this many along.
        m.noteSlotSamples(m.channelCounts[n][2]);
    }
    m.slotSound[2] = heard ? 1 : 0;
    noteTickLength(m, 2);
}

int32_t render(AmigaMachine& m, float* out, int32_t count) {
    if (!out || count <= 0) return 0;
    int32_t done = 0;
    while (done < count) {
        const int32_t part = std::min(count - done, kRenderPartValues);
        const int32_t got = renderPart(m, out + done, part);
        done += got;
        if (got < part) break;
    }
    return done;
}

} // namespace varno
