// How Amiga texts (ISO 8859-1) are shown: as UTF-8, with nothing that could break
// the line or the tag they are shown in.
#include <gtest/gtest.h>

#include "amigaos/text.h"

namespace varno {
namespace {

TEST(AmigaTextTest, Latin1BecomesUtf8AndControlsBecomeSpaces) {
    const struct {
        const char* what;
        std::string bytes;
        TextLines lines;
        std::string shown;
    } cases[] = {
        {"ASCII as it is", "Song 1", TextLines::one, "Song 1"},
        {"every Latin-1 letter and sign", "Caf\xe9 M\xfcller\xa9", TextLines::one, "Caf\xc3\xa9 M\xc3\xbcller\xc2\xa9"},
        {"the last and the first of the upper half", "\xff\xa0x", TextLines::one, "\xc3\xbf\xc2\xa0x"},
        {"a tab, a C1 code and DEL", "a\tb\x85" "c\x7f" "d", TextLines::one, "a b c d"},
        {"line breaks in a one-line text", "one\r\ntwo\nthree", TextLines::one, "one  two three"},
        {"padding blanks and trailing controls", "name   \x01 ", TextLines::one, "name"},
        {"only blanks", "    ", TextLines::one, ""},
        {"lines: CR LF, LF and CR end one each", "one  \r\ntwo\nthree\rfour", TextLines::several,
         "one\ntwo\nthree\nfour"},
        {"lines: empty ones kept inside, dropped at the end", "a\n\nb\n \n\n", TextLines::several, "a\n\nb"},
        {"lines: a tab in a line", "a\tb\nc", TextLines::several, "a b\nc"},
    };
    for (const auto& c : cases) EXPECT_EQ(amigaText(c.bytes, c.lines), c.shown) << c.what;
}

TEST(AmigaTextTest, EveryByteTakesOneCharacter) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += char(c);
    const std::string utf8 = latin1ToUtf8(all);
    EXPECT_EQ(utf8.size(), 127u + 2u * 128u);
    size_t characters = 0;
    for (const char c : utf8) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    EXPECT_EQ(characters, 255u);
}

} // namespace
} // namespace varno
