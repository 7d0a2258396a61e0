// The library's module class as a front end meets it: the shared songs opened
// from a path and from memory sound as the plugin renders them (the rows of the
// render hashes), subsongs and their lengths, seeking, and files no player takes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "host/portable_host.h"
#include "library/module.h"
#include "library/module_state.h"
#include "machine/amiga_machine.h"
#include "session/song.h"

namespace varno::test {
namespace {

namespace fs = std::filesystem;

const std::string kPlayers = std::string(VARNO_BINARY_DIR) + "/bin/xmp-varno.dat";

fs::path song(const std::string& name) { return fs::path(VARNO_SHARED_DIR) / "modules" / (name + ".mod"); }

std::vector<uint8_t> bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

OpenOptions options(PlaybackSettings settings = {}) {
    OpenOptions o;
    o.settings = settings;
    o.playersPath = kPlayers;
    o.host = &PortableHost::instance().tables();
    return o;
}

// The archive's players as the host reads them, for players given in memory.
std::vector<PlayerFile> playersInMemory() {
    const HostFileFunctions& f = *PortableHost::instance().tables().fileFunctions;
    std::vector<PlayerFile> players;
    HostFile archive = f.open(kPlayers.c_str());
    if (!archive) return players;
    for (const char* name = f.listEntries(archive); name && *name; name += std::strlen(name) + 1) {
        HostFile entry = f.openEntry(archive, name, 0);
        if (!entry) continue;
        PlayerFile player{name, std::vector<uint8_t>(f.size(entry))};
        f.read(entry, player.bytes.data(), uint32_t(player.bytes.size()));
        f.close(entry);
        players.push_back(std::move(player));
    }
    f.close(archive);
    return players;
}

std::vector<float> renderAll(Module& module, size_t frames, size_t part = 4800) {
    std::vector<float> out(2 * frames);
    size_t done = 0;
    while (done < frames) {
        const size_t got = module.render(out.data() + 2 * done, std::min(part, frames - done));
        done += got;
        if (got == 0) break;
    }
    out.resize(2 * done);
    return out;
}

uint64_t fnv1a(const std::vector<float>& samples) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(samples.data());
    uint64_t hash = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < samples.size() * sizeof(float); ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(song("area4-game"))) GTEST_SKIP() << "no shared songs (../shared lies elsewhere)";
        if (!fs::exists(kPlayers)) GTEST_SKIP() << "no default player archive (the m68k C tools are missing)";
    }
};

struct Expected {
    const char* song;
    const char* interpolation;
    bool surround;
    uint64_t pcm16;
    uint64_t floats;
};

const Expected kRenderHashes[] = {
#include "plugin/render_hashes.inc"
};

Interpolation interpolationNamed(const std::string& name) {
    if (name == "sinc") return Interpolation::sinc;
    if (name == "a500") return Interpolation::amiga500;
    if (name == "a1200") return Interpolation::amiga1200;
    return Interpolation::none;
}

// The plugin's ten seconds of every song and setting, as `varno render --duration 10
// --songend off` wrote them when the rows were recorded: each row opened from its
// path and from memory, with the players from their archive and from memory.
TEST_F(ModuleTest, PathAndMemoryGiveThePluginsSamples) {
    const std::vector<PlayerFile> players = playersInMemory();
    ASSERT_FALSE(players.empty());
    int rows = 0;
    for (const Expected& e : kRenderHashes) {
        ++rows;
        PlaybackSettings settings;
        settings.interpolation = interpolationNamed(e.interpolation);
        settings.surround = e.surround;
        settings.useSongEnd = false;
        settings.playTimeSeconds = 0;
        OpenOptions o = options(settings);
        o.measureLengths = false;
        const std::string what = std::string(e.song) + " " + e.interpolation + (e.surround ? " surround" : "");
        const bool fromPath = rows % 2 == 0;
        if (rows % 4 >= 2) o.players = players;
        const std::vector<uint8_t> bytes = bytesOf(song(e.song));
        Module module = fromPath ? Module(song(e.song).string(), o)
                                 : Module(bytes.data(), bytes.size(), std::string(e.song) + ".mod", o);
        const std::vector<float> samples = renderAll(module, 480000);
        EXPECT_EQ(samples.size(), 2u * 480000) << what;
        EXPECT_EQ(fnv1a(samples), e.floats) << what << (fromPath ? " from its path" : " from memory");
    }
    EXPECT_EQ(rows, 40);
}

// Modules played in turn each sound as if alone: one on a machine and song record
// the front end keeps (the plugin's way, settings read from the machine's record)
// and two with machines of their own, one of them built while the others are open.
TEST_F(ModuleTest, ModulesPlayedInTurnDoNotDisturbEachOther) {
    PlaybackSettings sinc;
    sinc.interpolation = Interpolation::sinc;
    PlaybackSettings plain;
    plain.surround = false;
    plain.stereoSeparation = 30;
    PluginSettings keptSettings;
    keptSettings.interpolation = int32_t(Interpolation::amiga1200);
    const char* const songs[] = {"tecnoballz", "high-score", "over-theme"};
    // The front end's machine and the song record it plays.
    struct FrontEnd {
        std::unique_ptr<Song> song = std::make_unique<Song>();
        std::unique_ptr<AmigaMachine> machine;
    };
    const auto keptMachine = [&] {
        FrontEnd front;
        front.machine = createMachine(&PortableHost::instance().tables(), VARNO_BINARY_DIR "/bin/");
        front.machine->settings = &keptSettings;
        attachSong(*front.machine, *front.song);
        return front;
    };
    const auto kept = [&](FrontEnd& front) {
        const std::vector<uint8_t> bytes = bytesOf(song(songs[0]));
        return moduleOnMachine(*front.machine, *front.song, songs[0], bytes.data(), uint32_t(bytes.size()));
    };
    std::vector<float> alone[3];
    {
        FrontEnd front = keptMachine();
        Module module = kept(front);
        alone[0] = renderAll(module, 96000);
    }
    for (int k = 1; k < 3; ++k) {
        Module module(song(songs[k]).string(), options(k == 1 ? sinc : plain));
        alone[k] = renderAll(module, 96000);
    }
    FrontEnd front = keptMachine();
    std::vector<Module> modules;
    modules.push_back(kept(front));
    modules.emplace_back(song(songs[1]).string(), options(sinc));
    std::vector<float> turns[3];
    for (int part = 0; part < 20; ++part) {
        if (part == 3) modules.emplace_back(song(songs[2]).string(), options(plain));
        for (size_t k = 0; k < modules.size(); ++k) {
            const std::vector<float> p = renderAll(modules[k], 4800);
            turns[k].insert(turns[k].end(), p.begin(), p.end());
        }
    }
    alone[2].resize(turns[2].size());
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(turns[k] == alone[k]) << songs[k] << " played in turn with others";
}

// area4-game has four subsongs; their lengths (as `varno info` prints them) are
// measured at open, and each selected subsong renders for as long as its length says.
TEST_F(ModuleTest, SubsongsAndTheirLengths) {
    Module module(song("area4-game").string(), options());
    ASSERT_EQ(module.subsongCount(), 4);
    const std::vector<double> lengths = module.subsongLengths();
    const double expected[] = {83.577, 84.477, 8.960, 8.960};
    ASSERT_EQ(lengths.size(), 4u);
    for (int s = 0; s < 4; ++s) EXPECT_NEAR(lengths[size_t(s)], expected[s], 0.001) << "subsong " << s + 1;
    EXPECT_EQ(module.subsong(), 0);
    for (int s : {3, 2}) {
        module.selectSubsong(s);
        EXPECT_EQ(module.subsong(), s);
        const double rendered = double(renderAll(module, 48000 * 20).size()) / 2 / 48000;
        // One length: what is rendered lasts what was measured, to the frame.
        EXPECT_NEAR(rendered, lengths[size_t(s)], 1.0 / 48000) << "subsong " << s + 1;
    }
    module.selectSubsong(4); // no fifth: the fourth plays on
    EXPECT_EQ(module.subsong(), 2);
    const ModuleInfo info = module.info();
    EXPECT_EQ(info.title, "area4-game");
    EXPECT_EQ(info.format, "MOD");
    EXPECT_EQ(info.player, "ProTracker");
    EXPECT_EQ(info.channels, 4);
    ASSERT_GE(info.instruments.size(), 16u);
    EXPECT_EQ(info.instruments[0], "music from reg");
    EXPECT_EQ(module.settings().sampleRate, 48000u);
}

// A seek forwards, backwards and into the next tick gives what an uninterrupted
// render gives from there, and says where it stands.
TEST_F(ModuleTest, SeekThenRenderEqualsRenderAndSkip) {
    PlaybackSettings settings;
    settings.interpolation = Interpolation::amiga500;
    Module whole(song("gardien-go").string(), options(settings));
    const std::vector<float> reference = renderAll(whole, 48000 * 12);
    Module module(song("gardien-go").string(), options(settings));
    renderAll(module, 48000 * 4);
    for (double target : {7.25, 1.5, 1.51, 11.0}) {
        const double reached = module.seek(target);
        EXPECT_DOUBLE_EQ(reached, target);
        EXPECT_DOUBLE_EQ(module.position(), target);
        const std::vector<float> after = renderAll(module, 24000, 1000);
        const size_t from = size_t(std::llround(target * 48000)) * 2;
        ASSERT_LE(from + after.size(), reference.size());
        EXPECT_TRUE(std::equal(after.begin(), after.end(), reference.begin() + std::ptrdiff_t(from)))
            << "after a seek to " << target << " s";
    }
    // Past the end the seek stops where the song does.
    module.selectSubsong(0);
    EXPECT_LT(module.seek(1e9), 1e9);
    EXPECT_EQ(module.render(std::vector<float>(2).data(), 1), 0u);
}

// Bad input: an error that says why, never a crash; a good file opens afterwards.
TEST_F(ModuleTest, FilesNoPlayerTakesAreRefused) {
    const std::vector<uint8_t> good = bytesOf(song("tecnoballz"));
    std::vector<uint8_t> random(20000);
    std::mt19937 generator(7);
    for (uint8_t& b : random) b = uint8_t(generator());
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* error;
    };
    const Case cases[] = {
        {"empty", {}, "empty"},
        {"random bytes", random, "no player recognises it"},
        {"a module cut inside its header", std::vector<uint8_t>(good.begin(), good.begin() + 600),
         "no player recognises it"},
        {"a module cut inside its samples", std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(good.size() / 2)),
         nullptr},
    };
    for (const Case& c : cases) {
        try {
            Module module(c.bytes.data(), c.bytes.size(), "song.mod", options());
            // A cut module a player still takes plays what it has.
            EXPECT_EQ(c.error, nullptr) << c.what << " was opened";
            renderAll(module, 48000);
        } catch (const OpenError& e) {
            ASSERT_NE(c.error, nullptr) << c.what << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << c.what << ": " << e.what();
        }
    }
    OpenOptions noPlayers = options();
    noPlayers.playersPath = (fs::path(VARNO_BINARY_DIR) / "no-such-players.dat").string();
    EXPECT_THROW(Module(good.data(), good.size(), "song.mod", noPlayers), OpenError);
    OpenOptions badRate = options();
    badRate.settings.sampleRate = 0;
    EXPECT_THROW(Module(good.data(), good.size(), "song.mod", badRate), OpenError);
    EXPECT_THROW(Module((fs::path(VARNO_BINARY_DIR) / "no-such-song.mod").string(), options()), OpenError);
    Module module(good.data(), good.size(), "tecnoballz.mod", options());
    EXPECT_EQ(module.render(std::vector<float>(9600).data(), 4800), 4800u);
}

} // namespace
} // namespace varno::test
