// Every sample stays as it is: the first ten seconds of the five shared ProTracker
// songs, rendered by `varno render` in 16 bits and in floats with each
// interpolation, surround on and off, hash to the values recorded when the code was
// known good. A change that moves code around must leave every row alone; a change
// meant to alter the sound updates the rows it alters and says why.
// The Windows plugin under Wine is held to `varno render` bit for bit by the
// windows_render_* tests, so it is held to these rows too.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace varno::test {
namespace {

struct Expected {
    const char* song;
    const char* interpolation;
    bool surround;
    uint64_t pcm16; // FNV-1a of the 16-bit samples as stored (little-endian)
    uint64_t floats; // FNV-1a of the 32-bit float samples
};

constexpr uint64_t kFnvOffset = 0xcbf29ce484222325ull;

uint64_t fnv1a(const void* data, size_t size, uint64_t hash = kFnvOffset) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

// The samples of a WAV file, hashed in the file's own format; frames counted.
template <typename Sample>
uint64_t hashWav(const std::string& path, sf_count_t (*read)(SNDFILE*, Sample*, sf_count_t), sf_count_t& frames) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return 0;
    std::vector<Sample> samples(size_t(info.frames * info.channels));
    frames = read(file, samples.data(), info.frames);
    sf_close(file);
    return fnv1a(samples.data(), samples.size() * sizeof(Sample));
}

class RenderHashes : public ::testing::TestWithParam<const char*> {};

// Row order: song, interpolation, surround, 16-bit hash, float hash.
const Expected kExpected[] = {
#include "render_hashes.inc"
};

TEST_P(RenderHashes, TenSecondsOfEachSharedSongAreUnchanged) {
    const std::string song = GetParam();
    const std::filesystem::path module = std::filesystem::path(VARNO_SHARED_DIR) / "modules" / (song + ".mod");
    const std::string players = std::string(VARNO_BINARY_DIR) + "/bin/xmp-varno.dat";
    if (!std::filesystem::exists(module)) GTEST_SKIP() << "no " << module << " (../shared lies elsewhere)";
    if (!std::filesystem::exists(players)) GTEST_SKIP() << "no default player archive (the m68k C tools are missing)";
    const std::filesystem::path folder = std::filesystem::path(VARNO_BINARY_DIR) / "test-render-hashes" / song;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    int rows = 0;
    for (const Expected& e : kExpected) {
        if (song != e.song) continue;
        ++rows;
        const std::string what = song + " " + e.interpolation + (e.surround ? " surround" : " plain");
        uint64_t got[2] = {};
        sf_count_t frames[2] = {};
        for (int f = 0; f < 2; ++f) {
            const std::string out = (folder / (f ? "float.wav" : "pcm16.wav")).string();
            std::filesystem::remove(out); // varno keeps files that exist
            const std::string command = "XDG_CONFIG_HOME=" + folder.string() + " " + VARNO_BINARY_DIR +
                                        "/bin/varno --players " + players + " render " + module.string() + " -o " +
                                        out + " --bits " + (f ? "float" : "16") + " --duration 10 --interpolation " +
                                        e.interpolation + " --surround " + (e.surround ? "on" : "off") +
                                        " --separation 75 --songend off --rate 48000 2>" + (folder / "err").string();
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            got[f] = f ? hashWav<float>(out, sf_readf_float, frames[f]) : hashWav<short>(out, sf_readf_short, frames[f]);
        }
        EXPECT_EQ(frames[0], 480000) << what;
        EXPECT_EQ(frames[1], 480000) << what;
        // Printed in the table's own form, so that a deliberate change is copied in.
        const auto row = [&] {
            char text[160];
            std::snprintf(text, sizeof text, "{\"%s\", \"%s\", %s, 0x%016llxull, 0x%016llxull},", song.c_str(),
                          e.interpolation, e.surround ? "true" : "false", (unsigned long long)got[0],
                          (unsigned long long)got[1]);
            return std::string(text);
        };
        EXPECT_EQ(got[0], e.pcm16) << what << "\n" << row();
        EXPECT_EQ(got[1], e.floats) << what << "\n" << row();
    }
    EXPECT_EQ(rows, 8) << song << ": four interpolations, surround on and off";
}

INSTANTIATE_TEST_SUITE_P(SharedSongs, RenderHashes,
                         ::testing::Values("area4-game", "gardien-go", "high-score", "over-theme", "tecnoballz"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

} // namespace
} // namespace varno::test
