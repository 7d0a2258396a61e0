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
#include "session/song.h"
#include "session/frame_driver.h"
#include "machine/settings.h"

namespace varno {

namespace {

// Tempos so fast that a tick rounds to no output at all would stall the loop;
// such ticks are heard for one frame instead.
constexpr int32_t kMinTickFrames = 1;

bool amigaModel(int32_t interpolation) {
    return interpolation == kInterpolationA500 || interpolation == kInterpolationA1200;
}

void resampleChannels(Song& song, int32_t frames, int32_t interpolation) {
    if (amigaModel(interpolation)) {
        renderAmigaChannels(song, interpolation, frames);
        return;
    }
    // The models' state is stale once another mode has played.
    song.amigaOutput.model = 0;
    const bool sinc = interpolation != 0;
    for (int c = 0; c < 4; ++c) {
        float* dst = song.resampledBuffers[c].get();
        const int32_t* counts = song.channelCounts[c];
        if (sinc)
            resampleSinc(*song.sinc, counts[0], counts[1], song.channelBuffers[c][1].get(), frames, dst,
                         song.channelBuffers[c][0].get(), song.channelBuffers[c][2].get(), counts[2]);
        else
            resampleNearest(song.channelBuffers[c][1].get(), counts[1], dst, frames);
    }
}

int32_t mixChannels(const AmigaMachine& m, Song& song, float* dst, int32_t frames) {
    if (song.outputChannels == 1) return mixMono(song, dst, frames);
    if (m.settings->surround) return mixSurround(song, dst, frames);
    return mixStereo(song, dst, frames);
}

// The LED filter acts on the Amiga's two outputs, after the channels are mixed.
int32_t mixTick(const AmigaMachine& m, Song& song, float* dst, int32_t frames, int32_t interpolation) {
    const int32_t values = mixChannels(m, song, dst, frames);
    if (amigaModel(interpolation)) filterAmigaOutput(song, dst, frames);
    return values;
}

} // namespace

// Slot 1 becomes the context of the next tick, slot 2 the tick heard next. The
// buffers trade places; slot 2 is written whole by the next tick.
void shiftSlots(AudioPath& path) {
    for (int c = 0; c < 4; ++c) {
        auto& slots = path.channelBuffers[c];
        std::rotate(slots, slots + 1, slots + 3);
        int32_t* counts = path.channelCounts[c];
        counts[0] = counts[1];
        counts[1] = counts[2];
    }
    path.slotTickSamples[0] = path.slotTickSamples[1];
    path.slotTickSamples[1] = path.slotTickSamples[2];
    path.slotLedFilter[0] = path.slotLedFilter[1];
    path.slotLedFilter[1] = path.slotLedFilter[2];
    path.slotSound[0] = path.slotSound[1];
    path.slotSound[1] = path.slotSound[2];
}

namespace {

// One part of a request, count <= kRenderPartValues. What waits in the half
// from the last part goes out first; a tick that fits whole is mixed straight
// into out, and only the one that passes its end goes through the half, whose
// surplus then waits for the next part in the other half.
int32_t renderPart(AmigaMachine& m, Song& song, float* out, int32_t count) {
    const int32_t cur = song.outputSelect;
    float* half = song.outputBuffers[cur].get();
    int32_t have = song.outputFill[cur];
    std::copy(half, half + std::min(have, count), out);
    while (have < count) {
        if (endCheck(m, song)) {
            song.outputFill[0] = song.outputFill[1] = 0;
            song.outputSelect = 1 - cur;
            return have;
        }
        runTick(m, song, 2);
        const int32_t frames = song.slotTickSamples[1];
        song.noteTickFrames(frames);
        // Read once: the configuration dialog may change it while we render.
        const int32_t interpolation = m.settings->interpolation;
        resampleChannels(song, frames, interpolation);
        detectSilence(m, song, frames, interpolation == 0);
        const int32_t values = frames * (song.outputChannels == 1 ? 1 : 2);
        if (have + values <= count) {
            have += mixTick(m, song, out + have, frames, interpolation);
        } else {
            const int32_t got = mixTick(m, song, half + have, frames, interpolation);
            std::copy(half + have, half + std::min(count, have + got), out + have);
            have += got;
            song.noteOutputValues(have);
        }
        shiftSlots(song);
        recordSongEnd(m, song);
    }
    const int32_t surplus = have - count;
    std::copy(half + count, half + have, song.outputBuffers[1 - cur].get());
    song.outputFill[1 - cur] = surplus;
    song.outputFill[cur] = 0;
    song.outputSelect = 1 - cur;
    return count;
}

} // namespace

namespace {

// The player's tick and the LED it left; false when the tick routine did not run.
bool tickPlayer(AmigaMachine& m, Song& song, int slot) {
    if (!playerTick(m, song)) {
        // The next tick to hear repeats this one, as when the slots were copied along.
        if (slot == 2) {
            for (int c = 0; c < 4; ++c) {
                std::copy_n(song.channelBuffers[c][1].get(), song.channelCounts[c][1], song.channelBuffers[c][2].get());
                song.channelCounts[c][2] = song.channelCounts[c][1];
            }
            song.slotTickSamples[2] = song.slotTickSamples[1];
            song.slotLedFilter[2] = song.slotLedFilter[1];
            song.slotSound[2] = song.slotSound[1];
        }
        return false;
    }
    // The tick routine has run and the tick's samples start now: its LED writes
    // switch the filter for the whole tick. Writes from audio interrupts during
    // the tick take effect with the next one.
    song.slotLedFilter[slot] = m.ciaA && powerLedOn(*m.ciaA);
    return true;
}

// Read after the tick: a tempo change made by the routine already applies.
void noteTickLength(Song& song, int slot) {
    song.slotTickSamples[slot] = std::max(song.takeTickFrames(), kMinTickFrames);
}

} // namespace

void runTick(AmigaMachine& m, Song& song, int slot) {
    if (!tickPlayer(m, song, slot)) return;
    for (int n : channelOrder) {
        song.channelCounts[n][slot] =
            m.customChips ? renderChannelTick(*m.customChips, n, song.channelBuffers[n][slot].get()) : 0;
        song.noteSlotSamples(song.channelCounts[n][slot]);
    }
    song.slotSound[slot] = -1;
    noteTickLength(song, slot);
}

void runSilentTick(AmigaMachine& m, Song& song, int32_t loudness) {
    if (!tickPlayer(m, song, 2)) return;
    bool heard = false;
    for (int n : channelOrder) {
        song.channelCounts[n][2] = m.customChips ? skipChannelTick(*m.customChips, n, loudness, heard) : 0;
        // Nothing is written, but a faulted tick after it copies this many along.
        song.noteSlotSamples(song.channelCounts[n][2]);
    }
    song.slotSound[2] = heard ? 1 : 0;
    noteTickLength(song, 2);
}

int32_t render(AmigaMachine& m, Song& song, float* out, int32_t count) {
    if (!out || count <= 0) return 0;
    int32_t done = 0;
    while (done < count) {
        const int32_t part = std::min(count - done, kRenderPartValues);
        const int32_t got = renderPart(m, song, out + done, part);
        done += got;
        if (got < part) break;
    }
    return done;
}

} // namespace varno
