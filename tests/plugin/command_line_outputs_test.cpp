// What varno render writes and where: names made from the inputs, outputs that
// exist already, tags, exact time windows, levels and sample formats.
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "plugin/command_line_fixture.h"

namespace varno::test {
namespace {

namespace fs = std::filesystem;

struct Audio {
    int format = 0;
    int channels = 0;
    std::vector<float> samples;
};

Audio readAudio(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    Audio audio{info.format, info.channels, std::vector<float>(size_t(info.frames) * size_t(info.channels))};
    sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

std::vector<float> floats(const std::string& bytes) {
    std::vector<float> v(bytes.size() / sizeof(float));
    std::memcpy(v.data(), bytes.data(), v.size() * sizeof(float));
    return v;
}

using CommandLineOutputsTest = CommandLineTest;

TEST_F(CommandLineOutputsTest, BatchOutputsAreNamedAndNeverSilentlyReplaced) {
    const std::string other = writeModule("other.vts", "VTS1", "Other");
    const std::string batch = p + "render " + module + " " + other + " -d out --format flac --all-subsongs";
    CommandRun run = varno(batch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* name : {"song.vts", "other.vts"})
        for (int k = 1; k <= 3; ++k)
            EXPECT_FALSE(readAudio(folder / "out" / (name + ("-" + std::to_string(k)) + ".flac")).samples.empty())
                << name << " " << k;

    // A second run refuses every output, each with its own line, and changes none.
    fs::permissions(folder / "out" / "song.vts-2.flac", fs::perms(0640), fs::perm_options::replace);
    const auto before = fs::last_write_time(folder / "out" / "song.vts-2.flac");
    run = varno(batch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 6) << run.err;
    EXPECT_NE(run.err.find("out/other.vts-3.flac: already exists (--force replaces it)"), std::string::npos) << run.err;
    EXPECT_EQ(fs::last_write_time(folder / "out" / "song.vts-2.flac"), before);

    // --force replaces, keeping the permissions (and, for root, the owner) of what it replaced.
    const std::string replaced = (folder / "out" / "song.vts-2.flac").string();
    const bool root = ::getuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(replaced.c_str(), 1234, 4321), 0);
    }
    run = varno(batch + " --force --duration 0.5");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(fs::status(folder / "out" / "song.vts-2.flac").permissions(), fs::perms(0640));
    struct stat owner {};
    ASSERT_EQ(::stat(replaced.c_str(), &owner), 0);
    if (root) {
        EXPECT_EQ(owner.st_uid, 1234u);
        EXPECT_EQ(owner.st_gid, 4321u);
    }
    EXPECT_EQ(readAudio(folder / "out" / "song.vts-2.flac").samples.size(), 48000u);

    // A symbolic link at the output is written through and stays a link.
    fs::create_symlink("out/song.vts-2.flac", folder / "link.flac");
    run = varno(p + "render " + module + " --subsong 2 -o link.flac");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("link.flac: already exists (a symbolic link to "), std::string::npos) << run.err;
    run = varno(p + "render " + module + " --subsong 2 --duration 0.25 --force -o link.flac");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(folder / "link.flac"));
    EXPECT_EQ(readAudio(folder / "out" / "song.vts-2.flac").samples.size(), 24000u);

    // Without -d the output lies beside its input; the same output twice in one run is refused.
    run = varno(p + "render " + module + " " + module);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(fs::exists(folder / "song.vts.wav"));
    EXPECT_NE(run.err.find("song.vts.wav: was written earlier in this run"), std::string::npos) << run.err;
}

TEST_F(CommandLineOutputsTest, FilesCarryTitleTrackFormatPlayerAndEncoder) {
    const std::string version = varno("--version").out;
    ASSERT_EQ(version.rfind("varno ", 0), 0u) << version;
    for (const char* name : {"tagged.flac", "tagged.wav"}) {
        const CommandRun run = varno(p + "render " + module + " --subsong 2 -o " + name);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        SF_INFO info{};
        SNDFILE* file = sf_open((folder / name).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << name;
        const auto text = [&](int which) {
            const char* s = sf_get_string(file, which);
            return std::string(s ? s : "");
        };
        EXPECT_EQ(text(SF_STR_TITLE), "M\xc3\xbcller") << name;
        EXPECT_EQ(text(SF_STR_TRACKNUMBER), "2") << name;
        EXPECT_EQ(text(SF_STR_COMMENT), "Varno Test Interrupt - 4ch, played by Varno Test Interrupt") << name;
        EXPECT_EQ(text(SF_STR_SOFTWARE).rfind(version.substr(0, version.size() - 1), 0), 0u) << text(SF_STR_SOFTWARE);
        // Made as RF64 in case they grow past 4 GiB; smaller ones end as plain WAV.
        if (std::string(name).ends_with(".wav")) {
            EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        }
        sf_close(file);
    }
    // The same samples either way, and no temporary file left behind.
    EXPECT_TRUE(readAudio(folder / "tagged.wav").samples == readAudio(folder / "tagged.flac").samples);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
}

// --start, --duration and --end cut the very samples an uninterrupted render
// has there; --fade ends in silence; --loops plays on through the song's end.
TEST_F(CommandLineOutputsTest, TimeWindowsCutExactly) {
    const std::string render = p + "render " + module + " --subsong 2 --bits float --force ";
    ASSERT_EQ(varno(render + "-o whole.wav").exitCode, 0);
    const std::vector<float> whole = readAudio(folder / "whole.wav").samples;
    ASSERT_GT(whole.size(), 2u * 90000);
    const std::vector<float> middle(whole.begin() + 2 * 24000, whole.begin() + 2 * 72000);
    for (const char* window : {"--start 0.5 --duration 1", "--start 0:00.5 --end 1.5", "--start 0.5 --end 1.5 --duration 3",
                               "--start 0.5 --time 1.5", "--start 0.5 --time 1.5 --end 1.7"}) {
        const CommandRun run = varno(render + window + " -o cut.wav");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(readAudio(folder / "cut.wav").samples == middle) << window;
    }
    ASSERT_EQ(varno(render + "--duration 1 --fade 0.5 -o faded.wav").exitCode, 0);
    const std::vector<float> faded = readAudio(folder / "faded.wav").samples;
    ASSERT_EQ(faded.size(), 2u * 48000);
    EXPECT_TRUE(std::equal(faded.begin(), faded.begin() + 2 * 24000, whole.begin()));
    const auto peak = [](auto first, auto last) {
        float m = 0;
        for (auto it = first; it != last; ++it) m = std::max(m, std::abs(*it));
        return m;
    };
    EXPECT_GT(peak(whole.begin() + 2 * 47000, whole.begin() + 2 * 48000), 0.01f) << "no sound to fade";
    // The last millisecond is at a fiftieth of a percent of the fade's 0.5 s: near silence.
    EXPECT_LT(peak(faded.end() - 2 * 48, faded.end()), 0.0025f * peak(whole.begin(), whole.end()));

    const CommandRun loops = varno(render + "--loops 3 -o loops.wav");
    ASSERT_EQ(loops.exitCode, 0) << loops.err;
    // Three times the measured length (2 s and a fraction of a tick).
    EXPECT_NEAR(double(readAudio(folder / "loops.wav").samples.size()), 2 * 3 * 96000, 2 * 48);

    // Every subsong is tried, and each one that fails says which it is.
    const CommandRun all = varno(p + "render " + module + " --all-subsongs --start 1.5 -d all");
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_NE(all.err.find("song.vts subsong 1: the song ends at"), std::string::npos) << all.err;
    EXPECT_NE(all.err.find("song.vts subsong 3: the song ends at"), std::string::npos) << all.err;
    EXPECT_TRUE(fs::exists(folder / "all" / "song.vts-2.wav"));
}

// A stretch the listener chose (--end, --duration, --loops) is played in full:
// over-theme.mod falls silent for its last 7.4 s, and that silence is music
// inside the stretch; only the song's own end, when obeyed, comes first.
// Without a chosen end, 3 s of silence still end a song whose end is not obeyed.
TEST_F(CommandLineOutputsTest, ChosenStretchesArePlayedThroughTheirSilences) {
    const fs::path song = fs::path(VARNO_SHARED_DIR) / "modules" / "over-theme.mod";
    const std::string archive = std::string(VARNO_BINARY_DIR) + "/bin/xmp-varno.dat";
    if (!fs::exists(song)) GTEST_SKIP() << "no " << song;
    if (!fs::exists(archive)) GTEST_SKIP() << "no default player archive was built";
    const std::string command = "--players " + archive + " render " + song.string() + " --force --bits 16 -o out.wav ";
    const CommandRun info = varno("--players " + archive + " info --json " + song.string());
    const size_t at = info.out.find("\"seconds\": ");
    ASSERT_NE(at, std::string::npos) << info.out << info.err;
    const double pass = std::stod(info.out.substr(at + 11));
    ASSERT_NEAR(pass, 92.16, 0.01);
    const struct {
        const char* window;
        double seconds;
    } rows[] = {
        {"", pass},
        {"--loops 2", 2 * pass},
        {"--start 80 --loops 2", 2 * pass - 80},
        {"--songend off --end 100", 100},
        {"--songend off --start 50 --duration 50", 50},
        {"--duration 100", pass},  // the song's end comes first
        {"--songend off", 87.74},  // no end chosen: the silence rule holds
    };
    for (const auto& r : rows) {
        const CommandRun run = varno(command + r.window);
        ASSERT_EQ(run.exitCode, 0) << r.window << ": " << run.err;
        EXPECT_NEAR(double(readAudio(folder / "out.wav").samples.size()) / 2 / 48000, r.seconds, 0.005) << r.window;
    }
}

TEST_F(CommandLineOutputsTest, StandardOutputHonoursBitsAndGainSaturates) {
    const std::string render = p + "render " + module + " --subsong 2 --duration 1 -o - ";
    const std::vector<float> plain = floats(varno(render).out);
    ASSERT_EQ(plain.size(), 2u * 48000);
    const std::vector<float> louder = floats(varno(render + "--gain 6.0206").out);
    ASSERT_EQ(louder.size(), plain.size());
    for (size_t i = 0; i < plain.size(); i += 97) EXPECT_NEAR(louder[i], 2 * plain[i], 1e-4f) << i;

    for (const auto& [bits, bytes] : std::vector<std::pair<int, size_t>>{{16, 2}, {24, 3}}) {
        const std::string raw = varno(render + "--bits " + std::to_string(bits)).out;
        ASSERT_EQ(raw.size(), plain.size() * bytes) << bits;
        const double scale = bits == 16 ? 32767.0 : 8388607.0;
        for (size_t i = 0; i < plain.size(); i += 101) {
            int32_t v = 0;
            for (size_t b = 0; b < bytes; ++b) v |= int32_t(uint8_t(raw[i * bytes + b])) << (8 * b);
            v = (v << (32 - 8 * bytes)) >> (32 - 8 * bytes);
            EXPECT_NEAR(v, plain[i] * scale, 1.0) << bits << " " << i;
        }
    }
    // Far too loud: held at full scale (+-32767) with the sign kept, never wrapped round.
    const CommandRun loud = varno(render + "--bits 16 --gain 40");
    const std::string& raw = loud.out;
    ASSERT_EQ(raw.size(), plain.size() * 2);
    size_t held = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
        const int16_t v = int16_t(uint16_t(uint8_t(raw[2 * i]) | uint8_t(raw[2 * i + 1]) << 8));
        if (plain[i] * 100 > 1) {
            EXPECT_EQ(v, 32767) << i;
            ++held;
        } else if (plain[i] * 100 < -1) {
            EXPECT_EQ(v, -32767) << i;
        }
    }
    EXPECT_GT(held, 1000u);
    EXPECT_NE(loud.err.find("samples went past full scale and were clipped (a lower --gain avoids it)"),
              std::string::npos) << loud.err;
}

// Integer samples are rounded once, to nearest, whether they go to a file or to
// standard output: the same values either way.
TEST_F(CommandLineOutputsTest, IntegerFilesAndStandardOutputRoundAlike) {
    const std::string render = p + "render " + module + " --subsong 2 --duration 1 --gain -3.3 --force ";
    for (const int bits : {16, 24}) {
        const std::string raw = varno(render + "--bits " + std::to_string(bits) + " -o -").out;
        const size_t bytes = size_t(bits / 8);
        ASSERT_EQ(raw.size(), 2u * 48000 * bytes) << bits;
        std::vector<int32_t> piped(raw.size() / bytes);
        for (size_t i = 0; i < piped.size(); ++i) {
            int32_t v = 0;
            for (size_t b = 0; b < bytes; ++b) v |= int32_t(uint8_t(raw[i * bytes + b])) << (8 * b);
            piped[i] = (v << (32 - bits)) >> (32 - bits);
        }
        for (const char* container : {"wav", "flac"}) {
            const std::string name = std::string("rounded.") + container;
            ASSERT_EQ(varno(render + "--bits " + std::to_string(bits) + " -o " + name).exitCode, 0) << name;
            SF_INFO info{};
            SNDFILE* file = sf_open((folder / name).c_str(), SFM_READ, &info);
            ASSERT_NE(file, nullptr) << name;
            std::vector<int32_t> stored(size_t(info.frames) * size_t(info.channels));
            sf_readf_int(file, stored.data(), info.frames);
            sf_close(file);
            for (int32_t& v : stored) v >>= 32 - bits;
            EXPECT_TRUE(stored == piped) << bits << " bits in " << name;
        }
    }
}

// --time N cuts every song at N seconds, even one whose player ends it later; a
// render that takes the first of several subsongs says so, and how to get the others.
TEST_F(CommandLineOutputsTest, TimeCutsEverySongAndLeftSubsongsAreNamed) {
    const struct {
        std::string options;
        size_t frames;
        std::string note; // on standard error, or empty for none
    } cases[] = {
        {"--subsong 2 --time 1.25", 60000, ""},
        // Songs that end sooner end there, on the frame their ticks' time makes
        // (ticks carry their fractions of a frame: not a round 2 s and 1 s).
        {"--subsong 2 --time 0:05", 96003, ""},
        {"--time 0.5", 24000, "rendered subsong 1 of 3 (--all-subsongs renders every one, --subsong N another)\n"},
        {"--subsong 1", 48001, ""},
    };
    for (const auto& c : cases) {
        const CommandRun run = varno(p + "render " + module + " --force -o t.wav " + c.options);
        ASSERT_EQ(run.exitCode, 0) << c.options << "\n" << run.err;
        EXPECT_EQ(readAudio(folder / "t.wav").samples.size(), 2 * c.frames) << c.options;
        EXPECT_EQ(run.err, c.note.empty() ? "" : "varno: " + module + ": " + c.note) << c.options;
    }
}

// What render must not write to: its own input, by any name, or a terminal.
TEST_F(CommandLineOutputsTest, NeverOverItsInputNorRawToATerminal) {
    const std::string input = writeModule("same.wav", "VTS1", "Named .wav");
    std::filesystem::create_symlink("same.wav", folder / "link.wav");
    for (const char* output : {"same.wav", "link.wav"}) {
        const CommandRun run = varno(p + "render same.wav --force -o " + output);
        EXPECT_EQ(run.exitCode, 1) << output;
        EXPECT_NE(run.err.find(std::string(output) + ": is the input same.wav itself; it is never replaced"),
                  std::string::npos) << run.err;
        EXPECT_EQ(read(input).size(), 128u) << output;
    }
    const CommandRun terminal = run("script -qec '" + varnoPath() + " " + p + "render " + module + " -o -' /dev/null");
    EXPECT_EQ(terminal.exitCode, 2);
    EXPECT_NE(terminal.out.find("-o - writes raw samples, and standard output is a terminal"), std::string::npos)
        << terminal.out;
    EXPECT_LT(terminal.out.size(), 300u) << "no samples on the terminal";
}

// On a terminal a progress line names the file and shows the time, percent,
// speed and time left; off one (every other test) nothing is printed.
TEST_F(CommandLineOutputsTest, ProgressOnATerminal) {
    // A terminal wide enough for the test folder's long name.
    const CommandRun run = this->run("script -qec 'stty cols 250; " + varnoPath() + " " + p + "render " + module +
                                " --subsong 2 --loops 100 -o /dev/null' /dev/null");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("song.vts subsong 2  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" / 3:20  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("% "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" left"), std::string::npos) << run.out;
}

} // namespace
} // namespace varno::test
