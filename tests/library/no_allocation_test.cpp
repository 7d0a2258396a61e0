// Playing a module through the library allocates nothing once it is open: not
// its renders, nor its seeks, not even with two modules played in turn. Counted
// with a replacement of the global allocation functions.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "host/portable_host.h"
#include "library/module.h"
#include "allocation_counter.h"

namespace varno {
namespace {

TEST(LibraryNoAllocation, RenderingAndSeekingAllocateNothing) {
    const std::string players = std::string(VARNO_BINARY_DIR) + "/bin/xmp-varno.dat";
    const std::string songs = std::string(VARNO_SHARED_DIR) + "/modules/";
    if (!std::filesystem::exists(players) || !std::filesystem::exists(songs + "over-theme.mod"))
        GTEST_SKIP() << "no default player archive or shared songs";
    OpenOptions options;
    options.playersPath = players;
    options.host = &PortableHost::instance().tables();
    options.measureLengths = false;
    options.settings.interpolation = Interpolation::sinc;
    Module a(songs + "over-theme.mod", options);
    options.settings.interpolation = Interpolation::amiga500;
    Module b(songs + "high-score.mod", options);
    std::vector<float> out(2 * 20000);
    test::counting = true;
    for (int call = 0; call < 50; ++call) {
        a.render(out.data(), size_t(1000 + 97 * call));
        b.render(out.data(), size_t(1000 + 89 * call));
    }
    a.seek(30);
    b.seek(2);
    a.seek(1);
    a.selectSubsong(0);
    test::counting = false;
    EXPECT_EQ(test::allocations, 0);
}

} // namespace
} // namespace varno
