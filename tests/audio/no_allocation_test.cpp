// Rendering allocates nothing: every buffer of the audio path exists before the
// first tick. Counted with a replacement of the global allocation functions.
#include <gtest/gtest.h>

#include <vector>

#include "session/render.h"
#include "hardware/custom_chips.h"
#include "machine/machine_fixture.h"
#include "machine/settings.h"
#include "allocation_counter.h"

namespace varno {
namespace {

class NoAllocation : public test::MachineTest {};

TEST_F(NoAllocation, RenderingTicksAllocatesNothing) {
    PluginSettings saved = pluginSettings;
    pluginSettings.default_playtime = 0;
    // A tick routine runs every tick and all four channels play; channel 1's
    // period changes between calls, so Sinc meets new block lengths.
    const uint32_t counter = main().allocate(4);
    song().timerCode = placeCode({0x5291, 0x4E75}); // addq.l #1,(a1); rts
    song().timerData = counter;
    CustomChips& chips = *m().customChips;
    for (int c = 0; c < 4; ++c) {
        PaulaChannel& ch = chips.paulaChannels[c];
        ch.location = 0x30000;
        writeAudLen(ch, 1000);
        writeAudPer(ch, uint16_t(214 + 40 * c));
        writeAudVol(ch, 64);
    }
    for (uint32_t a = 0x30000; a < 0x30000 + 2000; a += 2) main().writeWord(a, uint16_t(a * 40503u));
    writeDmacon(chips, 0x820F);
    runTick(m(), song(), 0);
    runTick(m(), song(), 1);
    std::vector<float> out(300000);
    // Interpolation None, Sinc, Amiga 500 and Amiga 1200, each without and with surround.
    for (int setting = 0; setting < 8; ++setting) {
        pluginSettings.interpolation = setting & 3;
        pluginSettings.surround = setting >> 2;
        test::counting = true;
        test::allocations = 0;
        for (int call = 0; call < 50; ++call) {
            writeAudPer(chips.paulaChannels[1], uint16_t(200 + setting * 50 + call)); // new block lengths
            ASSERT_EQ(render(m(), song(), out.data(), 1000 + 97 * call), 1000 + 97 * call);
        }
        ASSERT_EQ(render(m(), song(), out.data(), 300000), 300000);
        test::counting = false;
        EXPECT_EQ(test::allocations, 0) << "interpolation " << (setting & 3) << " surround " << (setting >> 2);
    }
    pluginSettings = saved;
}

} // namespace
} // namespace varno
