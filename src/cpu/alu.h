// Arithmetic and logic with the 68000's condition-code rules.
#pragma once

#include <cstdint>

#include "cpu/effective_address.h"

namespace varno::cpu {

template <int S> inline void setNZ(uint32_t result) {
    rs.n = result >> (kBits<S> - 1) & 1;
    rs.z = (result & kMask<S>) == 0;
}

template <int S> inline uint32_t logic(uint32_t result) {
    setNZ<S>(result);
    rs.v = 0;
    rs.c = 0;
    return result & kMask<S>;
}

// ADD and ADDX: X and C take the carry. ADDX only clears Z.
template <int S, bool Extend = false> inline uint32_t add(uint32_t source, uint32_t dest) {
    uint64_t wide = static_cast<uint64_t>(source & kMask<S>) + (dest & kMask<S>);
    if constexpr (Extend) wide += rs.x;
    uint32_t result = static_cast<uint32_t>(wide) & kMask<S>;
    rs.c = rs.x = static_cast<uint32_t>(wide >> kBits<S>) & 1;
    rs.v = ((source ^ result) & (dest ^ result)) >> (kBits<S> - 1) & 1;
    rs.n = result >> (kBits<S> - 1) & 1;
    if constexpr (Extend) {
        if (result) rs.z = 0;
    } else {
        rs.z = result == 0;
    }
    return result;
}

// dest - source; CMP leaves X alone, SUBX only clears Z.
template <int S, bool Extend = false, bool Compare = false>
inline uint32_t sub(uint32_t source, uint32_t dest) {
    uint64_t wide = static_cast<uint64_t>(dest & kMask<S>) - (source & kMask<S>);
    if constexpr (Extend) wide -= rs.x;
    uint32_t result = static_cast<uint32_t>(wide) & kMask<S>;
    rs.c = static_cast<uint32_t>(wide >> kBits<S>) & 1;
    if constexpr (!Compare) rs.x = rs.c;
    rs.v = ((source ^ dest) & (result ^ dest)) >> (kBits<S> - 1) & 1;
    rs.n = result >> (kBits<S> - 1) & 1;
    if constexpr (Extend) {
        if (result) rs.z = 0;
    } else {
        rs.z = result == 0;
    }
    return result;
}

// Condition tests 0-15 as the manual numbers them (T F HI LS CC CS NE EQ VC VS PL MI GE LT GT LE).
template <int C> inline bool condition() {
    if constexpr (C == 0) return true;
    else if constexpr (C == 1) return false;
    else if constexpr (C == 2) return !rs.c && !rs.z;
    else if constexpr (C == 3) return rs.c || rs.z;
    else if constexpr (C == 4) return !rs.c;
    else if constexpr (C == 5) return rs.c;
    else if constexpr (C == 6) return !rs.z;
    else if constexpr (C == 7) return rs.z;
    else if constexpr (C == 8) return !rs.v;
    else if constexpr (C == 9) return rs.v;
    else if constexpr (C == 10) return !rs.n;
    else if constexpr (C == 11) return rs.n;
    else if constexpr (C == 12) return rs.n == rs.v;
    else if constexpr (C == 13) return rs.n != rs.v;
    else if constexpr (C == 14) return !rs.z && rs.n == rs.v;
    else return rs.z || rs.n != rs.v;
}

} // namespace varno::cpu
