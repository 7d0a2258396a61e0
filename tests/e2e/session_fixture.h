// The e2e fixture plus the module-session calls: open a module file the way the
// plugin does, render it, and read what the test players recorded.
#pragma once

#include <cmath>

#include "session/render.h"
#include "e2e/e2e_fixture.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "players/player_archive.h"

namespace varno::test {

class SessionTest : public E2eTest {
protected:
    bool check(const std::string& path) {
        const std::vector<uint8_t> data = readFile(path);
        const uint32_t size = uint32_t(data.size());
        return checkModule(*machine, *songRecord, path.c_str(), data.data(), size, size);
    }

    int32_t identify(const std::string& path) {
        const std::vector<uint8_t> data = readFile(path);
        const uint32_t size = uint32_t(data.size());
        return identifyModule(*machine, *songRecord, path.c_str(), data.data(), size, size);
    }

    // Opens the file; remembers where its data lies (the test players write their
    // results into it).
    bool open(const std::string& path) {
        const std::vector<uint8_t> data = readFile(path);
        const bool opened = openModule(*machine, *songRecord, path.c_str(), data.data(), uint32_t(data.size()));
        moduleData = machine->lowMemory->readLong(deliBase() + dtgChkData);
        return opened;
    }

    // The long a test player left at module + 16 + offset.
    uint32_t result(uint32_t offset) const { return machine->mainMemory->readLong(moduleData + 16 + offset); }

    // Renders up to the given number of stereo frames in 20 ms parts; keeps the left
    // channel in `left`. Returns the frames rendered (fewer once the song ended).
    int32_t renderFrames(int32_t frames) {
        left.clear();
        std::vector<float> part(2 * 960);
        int32_t done = 0;
        while (done < frames) {
            const int32_t want = std::min<int32_t>(960, frames - done);
            const int32_t got = render(*machine, *songRecord, part.data(), 2 * want) / 2;
            for (int32_t i = 0; i < got; ++i) left.push_back(part[2 * i]);
            done += got;
            if (got < want) break;
        }
        return done;
    }

    // Renders until the song ends (or the limit); returns the frames rendered.
    int32_t renderToEnd(int32_t limit = 48000 * 30) { return renderFrames(limit); }

    float peak() const {
        float p = 0;
        for (float v : left) p = std::max(p, std::fabs(v));
        return p;
    }

    // Upward zero crossings of the left channel in the given frames.
    int risingCrossings(size_t from, size_t count) const {
        int n = 0;
        for (size_t i = from + 1; i < from + count && i < left.size(); ++i)
            if (left[i - 1] < 0 && left[i] >= 0) ++n;
        return n;
    }

    static constexpr uint32_t dtgChkData = 36;
    static constexpr uint32_t dtgSndNum = 44;
    static constexpr double kCiaHz = 709378.92;   // CIA E clock, PAL
    static constexpr double kPaulaHz = 3546894.6; // audio DMA clock, PAL (five CIA counts)

    uint32_t moduleData = 0;
    std::vector<float> left;
};

inline uint32_t fourCc(const char* t) {
    return uint32_t(uint8_t(t[0])) << 24 | uint32_t(uint8_t(t[1])) << 16 | uint32_t(uint8_t(t[2])) << 8 |
           uint8_t(t[3]);
}

} // namespace varno::test
