// What info, info --json and the tags of rendered files say of songs played by
// our own players: each song's own voices and format, its Amiga texts as UTF-8,
// an author as the author and a message as a comment, each shown once.
#include <sndfile.h>

#include "plugin/command_line_fixture.h"

namespace varno::test {
namespace {

namespace fs = std::filesystem;

// A ProTracker song of one empty pattern, with its title and first sample name
// as the file holds them (ISO 8859-1).
std::string proTrackerSong(const std::string& title, const std::string& sampleName) {
    std::string song(1084 + 1024 + 4, '\0');
    song.replace(0, std::min<size_t>(title.size(), 20), title.substr(0, 20));
    song.replace(20, std::min<size_t>(sampleName.size(), 22), sampleName.substr(0, 22));
    song[20 + 23] = 2;  // two words of sample data
    song[20 + 25] = 64; // volume
    song[20 + 29] = 1;  // no loop
    song[950] = 1;      // one position
    song.replace(1080, 4, "M.K.");
    return song;
}

struct SongTexts {
    const char* what;
    std::string file; // under the shared modules, or written by the test when bytes are given
    std::string bytes;
    std::string formatText;
    std::string channels;
    std::vector<std::string> lines;   // lines info prints, in order
    std::vector<std::string> absent;  // labels info must not print
    std::string comment;              // the tag (and JSON) comment; empty: none
};

class SongTextsTest : public CommandLineTest {
protected:
    void SetUp() override {
        CommandLineTest::SetUp();
        archive = (fs::path(VARNO_BINARY_DIR) / "bin" / "xmp-varno.dat").string();
        if (!fs::exists(archive)) GTEST_SKIP() << "no default player archive was built";
    }

    std::string pathOf(const SongTexts& c) {
        if (!c.bytes.empty()) return writeFile(c.file, c.bytes);
        return (fs::path(VARNO_SHARED_DIR) / "modules" / c.file).string();
    }

    std::string archive;
};

TEST_F(SongTextsTest, InfoJsonAndTagsShowTheSongsOwnVoicesFormatAndTexts) {
    const SongTexts cases[] = {
        {"a MOD with a Latin-1 title and sample name", "cafe.mod",
         proTrackerSong("Caf\xe9 M\xfcller\xa9", "Gr\xfc\xdf" "e\x85"), "ProTracker - 4ch", "4",
         {"  Format text ProTracker - 4ch", "  Channels    4", "  Samples     1. Gr\xc3\xbc\xc3\x9f" "e",
          "  Title       Caf\xc3\xa9 M\xc3\xbcller\xc2\xa9"},
         {"Comment", "Author", "Artist"}, ""},
        {"an AHX song with an instrument named with byte 0xED", "ahx/Tony_Vera_Diaz__Binary_Teardrops.v1.ahx", "",
         "AHX - 4ch", "4", {"  Format text AHX - 4ch", "  Channels    4", "  Samples     1. (C)Tony Vera D\xc3\xad" "az"},
         {}, ""},
        {"an HVL song of six voices", "hvl/sunspots.hvl", "", "HVL - 6ch", "6",
         {"  Format text HVL - 6ch", "  Format      VARNO/HVL", "  Channels    6", "  File type   HVL"}, {}, ""},
        {"an OctaMED song of eight tracks", "octamed/anvil.med", "", "OctaMED - 8ch", "8",
         {"  Format text OctaMED - 8ch", "  Channels    8"}, {"Comment"}, ""},
        {"an OctaMED annotation is a comment, shown once", "octamed/fair.med", "", "OctaMED - 4ch", "4",
         {"  Channels    4", "  Comment     Many thanks to the unknown composer. ( just fitted onto this disk )",
          "  Title       fairlight"},
         {"Author", "Artist"}, "Many thanks to the unknown composer. ( just fitted onto this disk )"},
        {"an Oktalyzer song of eight voices", "oktalyzer/OKT.Yes-PartII", "", "Oktalyzer - 8ch", "8",
         {"  Format text Oktalyzer - 8ch", "  Channels    8"}, {}, ""},
        {"an Oktalyzer song of six voices", "oktalyzer/grundlagen.okta", "", "Oktalyzer - 6ch", "6",
         {"  Channels    6"}, {}, ""},
        {"a Future Composer song", "fc14/Cinfex.fc4", "", "Future Composer - 4ch", "4", {"  Channels    4"}, {}, ""},
    };
    const std::string players = "--players " + archive + " ";
    for (const SongTexts& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = pathOf(c);
        if (!fs::exists(path)) GTEST_SKIP() << "no shared modules";

        const CommandRun info = varno(players + "info --no-lengths " + path);
        ASSERT_EQ(info.exitCode, 0) << info.err;
        size_t at = 0;
        for (const std::string& line : c.lines) {
            const size_t found = info.out.find(line + "\n", at);
            EXPECT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << info.out;
            if (found == std::string::npos) continue;
            EXPECT_EQ(info.out.find(line + "\n", found + 1), std::string::npos) << "twice: " << line;
            at = found;
        }
        for (const std::string& label : c.absent)
            EXPECT_EQ(info.out.find("  " + label + " "), std::string::npos) << label << "\n" << info.out;

        // JSON carries the same, valid UTF-8 throughout: nothing was replaced.
        const CommandRun json = varno(players + "info --json --no-lengths " + path);
        ASSERT_EQ(json.exitCode, 0) << json.err;
        EXPECT_EQ(json.out.find("\\ufffd"), std::string::npos) << json.out;
        writeFile("info.json", json.out);
        const CommandRun fields = run("python3 -c \"import json; s = json.load(open('info.json'))[0]; "
                                      "print(s['format_text'], s['info']['Channels'], s['tags'].get('comment', ''), "
                                      "'artist' in s['tags'], sep='|')\"");
        EXPECT_EQ(fields.out, c.formatText + "|" + c.channels + "|" + c.comment + "|False\n") << fields.err;

        // The rendered file's comment holds the song's message, then the format the song is.
        const CommandRun render = varno(players + "render " + path + " --duration 0.1 --force -o tags.flac");
        ASSERT_EQ(render.exitCode, 0) << render.err;
        SF_INFO sfInfo{};
        SNDFILE* file = sf_open((folder / "tags.flac").c_str(), SFM_READ, &sfInfo);
        ASSERT_NE(file, nullptr);
        const char* comment = sf_get_string(file, SF_STR_COMMENT);
        const std::string played = c.formatText + ", played by ";
        EXPECT_EQ(std::string(comment ? comment : "").rfind((c.comment.empty() ? "" : c.comment + "\n") + played, 0), 0u)
            << (comment ? comment : "no comment");
        EXPECT_EQ(sf_get_string(file, SF_STR_ARTIST), nullptr);
        sf_close(file);
    }
}

} // namespace
} // namespace varno::test
