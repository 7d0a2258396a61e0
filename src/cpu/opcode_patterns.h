// Fills the opcode table from bit patterns written as in the manual, for example
// "1101rrrmmmxxxxxx": '0' and '1' are fixed bits, any letter a variable one. Every
// opcode the pattern covers instantiates the family's template for that exact opcode;
// the template's `legal` decides whether it takes the table slot.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "cpu/run_state.h"

namespace varno::cpu {

struct Pattern {
    char bits[17];
    constexpr Pattern(const char (&text)[17]) : bits{} {
        for (int i = 0; i < 17; ++i) bits[i] = text[i];
    }
    constexpr uint16_t fixedMask() const {
        uint16_t mask = 0;
        for (int i = 0; i < 16; ++i)
            if (bits[i] == '0' || bits[i] == '1') mask |= static_cast<uint16_t>(0x8000 >> i);
        return mask;
    }
    constexpr uint16_t fixedValue() const {
        uint16_t value = 0;
        for (int i = 0; i < 16; ++i)
            if (bits[i] == '1') value |= static_cast<uint16_t>(0x8000 >> i);
        return value;
    }
    constexpr int freeBits() const { return 16 - std::popcount(fixedMask()); }
    // The opcode whose variable bits, read from the right, are the bits of `index`.
    constexpr uint16_t opcode(std::size_t index) const {
        uint16_t op = fixedValue();
        for (int bit = 0; bit < 16; ++bit) {
            if (!(fixedMask() >> bit & 1)) {
                if (index & 1) op |= static_cast<uint16_t>(1u << bit);
                index >>= 1;
            }
        }
        return op;
    }
};

template <template <uint16_t> class Family, uint16_t Op> constexpr Handler pick() {
    if constexpr (Family<Op>::legal) return &Family<Op>::run;
    else return nullptr;
}

template <Pattern P, template <uint16_t> class Family, std::size_t... I>
void fillPattern(Handler* table, std::index_sequence<I...>) {
    static constexpr Handler handlers[] = {pick<Family, P.opcode(I)>()...};
    for (std::size_t i = 0; i < sizeof...(I); ++i)
        if (handlers[i]) table[P.opcode(i)] = handlers[i];
}

template <Pattern P, template <uint16_t> class Family> void addPattern(Handler* table) {
    fillPattern<P, Family>(table, std::make_index_sequence<std::size_t{1} << P.freeBits()>{});
}

// A family of one opcode whose handler is a plain function.
template <void (*F)(Processor&)> struct Fixed {
    template <uint16_t> struct Of {
        static constexpr bool legal = true;
        static void run(Processor& p) { F(p); }
    };
};

// One registration function per instruction family file.
void addMoveFamily(Handler* table);
void addAddFamily(Handler* table);
void addSubFamily(Handler* table);
void addCompareFamily(Handler* table);
void addAndFamily(Handler* table);
void addOrFamily(Handler* table);
void addLogicFamily(Handler* table);
void addShiftFamily(Handler* table);
void addBitFamily(Handler* table);
void addFlowFamily(Handler* table);
void addSystemFamily(Handler* table);
void addMiscFamily(Handler* table);
void addMultiplyFamily(Handler* table);
void addBcdFamily(Handler* table);

} // namespace varno::cpu
