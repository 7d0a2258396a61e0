// Small text helpers for names and paths handed over by 68000 code, and the one
// conversion of an Amiga text for everything that shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varno {

// ASCII comparison without regard to case, as AmigaOS compares resource names.
constexpr char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// ISO 8859-1 bytes as UTF-8, byte for character.
std::string latin1ToUtf8(std::string_view latin1);

// How an Amiga text (ISO 8859-1) is shown, as UTF-8. Control characters (tabs,
// C1 codes) become spaces, so that a name keeps to its line of the information
// window and its tag; trailing blanks, which pad tracker names, are dropped.
// A text of several lines (a song's message) keeps its line breaks, as line
// feeds, each line trimmed, empty lines at the end dropped.
enum class TextLines { one, several };
std::string amigaText(std::string_view latin1, TextLines lines = TextLines::one);

} // namespace varno
