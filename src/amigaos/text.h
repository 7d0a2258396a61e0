// Small text helpers for names and paths handed over by 68000 code.
#pragma once

#include <cstddef>
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

} // namespace varno
