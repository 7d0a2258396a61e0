// Playing a module through the library allocates nothing once it is open: not
// its renders, nor its seeks, not even with two modules played in turn. Counted
// with a replacement of the global allocation functions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

#include "host/portable_host.h"
#include "library/module.h"

namespace {
bool counting = false;
int allocations = 0;
} // namespace

// GCC pairs `new T` with the built-in allocator and, once inlined, warns about the
// free() below, although new and delete are replaced together here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

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
    counting = true;
    for (int call = 0; call < 50; ++call) {
        a.render(out.data(), size_t(1000 + 97 * call));
        b.render(out.data(), size_t(1000 + 89 * call));
    }
    a.seek(30);
    b.seek(2);
    a.seek(1);
    a.selectSubsong(0);
    counting = false;
    EXPECT_EQ(allocations, 0);
}

} // namespace
} // namespace varno
