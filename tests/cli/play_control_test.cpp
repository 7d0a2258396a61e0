// The player's keys and where they lead in the list of songs and subsongs.
#include <gtest/gtest.h>

#include <vector>

#include "cli/keys.h"
#include "cli/playlist.h"

namespace varno::cli {
namespace {

TEST(KeyDecoderTest, KeysAndArrowSequences) {
    KeyDecoder decoder;
    // An arrow split across two reads, an unknown key, escape then q.
    const std::string first = " np\033[A\033[B\033[C\033", second = "[Dx+-\033q";
    decoder.feed(first.data(), first.size());
    decoder.feed(second.data(), second.size());
    std::vector<Key> keys;
    while (const auto k = decoder.next()) keys.push_back(*k);
    const std::vector<Key> expected = {Key::Pause,       Key::NextSong,    Key::PreviousSong, Key::NextSubsong,
                                       Key::PreviousSubsong, Key::SeekForward, Key::SeekBack,     Key::VolumeUp,
                                       Key::VolumeDown,  Key::Quit};
    EXPECT_EQ(keys, expected);
    decoder.feed("\033[", 2);
    EXPECT_FALSE(decoder.next()) << "an unfinished sequence waits";
}

TEST(PlaylistTest, EventsMoveThroughSongsAndSubsongs) {
    using P = PlayPosition;
    const struct {
        PlayEvent event;
        P at;
        uint32_t subsongs;
        std::optional<uint32_t> only;
        std::optional<P> expected;
    } cases[] = {
        {PlayEvent::SongEnded, {0, 0}, 3, {}, P{0, 1}},
        {PlayEvent::SongEnded, {0, 2}, 3, {}, P{1, 0}},
        {PlayEvent::SongEnded, {2, 0}, 1, {}, std::nullopt}, // the list is done
        {PlayEvent::NextSong, {0, 1}, 3, {}, P{1, 0}},
        {PlayEvent::NextSong, {2, 0}, 3, {}, std::nullopt},
        {PlayEvent::PreviousSong, {1, 2}, 3, {}, P{0, 0}},
        {PlayEvent::PreviousSong, {0, 2}, 3, {}, P{0, 0}},
        {PlayEvent::NextSubsong, {0, 1}, 3, {}, P{0, 2}},
        {PlayEvent::NextSubsong, {0, 2}, 3, {}, P{1, 0}},
        {PlayEvent::PreviousSubsong, {1, 2}, 3, {}, P{1, 1}},
        {PlayEvent::PreviousSubsong, {1, 0}, 3, {}, P{1, 0}},
        {PlayEvent::SongEnded, {0, 1}, 3, 1u, P{1, 1}}, // --subsong 2: that subsong of each file
        {PlayEvent::NextSubsong, {1, 1}, 3, 1u, P{2, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nextPosition(c.event, c.at, c.subsongs, 3, c.only), c.expected)
            << int(c.event) << " at " << c.at.file << "/" << c.at.subsong;
}

} // namespace
} // namespace varno::cli
