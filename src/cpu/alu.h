// Arithmetic and logic with the 68000's condition-code rules.
#pragma once

#include <cstdint>

#include "cpu/effective_address.h"

namespace varno::cpu {

template <int S> inline void setNZ(Processor& p, uint32_t result) {
    p.rs.n = result >> (kBits<S> - 1) & 1;
    p.rs.z = (result & kMask<S>) == 0;
}

template <int S> inline uint32_t logic(Processor& p, uint32_t result) {
    setNZ<S>(p, result);
    p.rs.v = 0;
    p.rs.c = 0;
    return result & kMask<S>;
}

// ADD and ADDX: X and C take the carry. ADDX only clears Z.
template <int S, bool Extend = false> inline uint32_t add(Processor& p, uint32_t source, uint32_t dest) {
    uint64_t wide = static_cast<uint64_t>(source & kMask<S>) + (dest & kMask<S>);
    if constexpr (Extend) wide += p.rs.x;
    uint32_t result = static_cast<uint32_t>(wide) & kMask<S>;
    p.rs.c = p.rs.x = static_cast<uint32_t>(wide >> kBits<S>) & 1;
    p.rs.v = ((source ^ result) & (dest ^ result)) >> (kBits<S> - 1) & 1;
    p.rs.n = result >> (kBits<S> - 1) & 1;
    if constexpr (Extend) {
        if (result) p.rs.z = 0;
    } else {
        p.rs.z = result == 0;
    }
    return result;
}

// dest - source; CMP leaves X alone, SUBX only clears Z.
template <int S, bool Extend = false, bool Compare = false>
inline uint32_t sub(Processor& p, uint32_t source, uint32_t dest) {
    uint64_t wide = static_cast<uint64_t>(dest & kMask<S>) - (source & kMask<S>);
    if constexpr (Extend) wide -= p.rs.x;
    uint32_t result = static_cast<uint32_t>(wide) & kMask<S>;
    p.rs.c = static_cast<uint32_t>(wide >> kBits<S>) & 1;
    if constexpr (!Compare) p.rs.x = p.rs.c;
    p.rs.v = ((source ^ dest) & (result ^ dest)) >> (kBits<S> - 1) & 1;
    p.rs.n = result >> (kBits<S> - 1) & 1;
    if constexpr (Extend) {
        if (result) p.rs.z = 0;
    } else {
        p.rs.z = result == 0;
    }
    return result;
}

// Condition tests 0-15 as the manual numbers them (T F HI LS CC CS NE EQ VC VS PL MI GE LT GT LE).
template <int C> inline bool condition(Processor& p) {
    if constexpr (C == 0) return true;
    else if constexpr (C == 1) return false;
    else if constexpr (C == 2) return !p.rs.c && !p.rs.z;
    else if constexpr (C == 3) return p.rs.c || p.rs.z;
    else if constexpr (C == 4) return !p.rs.c;
    else if constexpr (C == 5) return p.rs.c;
    else if constexpr (C == 6) return !p.rs.z;
    else if constexpr (C == 7) return p.rs.z;
    else if constexpr (C == 8) return !p.rs.v;
    else if constexpr (C == 9) return p.rs.v;
    else if constexpr (C == 10) return !p.rs.n;
    else if constexpr (C == 11) return p.rs.n;
    else if constexpr (C == 12) return p.rs.n == p.rs.v;
    else if constexpr (C == 13) return p.rs.n != p.rs.v;
    else if constexpr (C == 14) return !p.rs.z && p.rs.n == p.rs.v;
    else return p.rs.z || p.rs.n != p.rs.v;
}

} // namespace varno::cpu
