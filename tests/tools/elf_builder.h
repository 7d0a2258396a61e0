// Builds small ELF32 big-endian m68k executables for the converter tests, so each test
// states its sections, symbols and relocations outright instead of relying on a toolchain.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace varno::test {

namespace elfconst {
inline constexpr std::uint32_t kProgBits = 1, kSymTab = 2, kStrTab = 3, kRela = 4, kNote = 7, kNoBits = 8,
                               kRel = 9;
inline constexpr std::uint32_t kWrite = 1, kAlloc = 2, kExec = 4;
inline constexpr std::uint16_t kUndefined = 0, kAbsolute = 0xFFF1, kCommon = 0xFFF2;
inline constexpr std::uint8_t kR32 = 1, kR16 = 2, kR8 = 3, kRPc32 = 4, kRPc16 = 5, kRPc8 = 6;
} // namespace elfconst

struct BuiltSection {
    std::string name;
    std::uint32_t type = elfconst::kProgBits;
    std::uint32_t flags = elfconst::kAlloc;
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes; // PROGBITS contents
    std::uint32_t noBitsSize = 0;    // NOBITS size
};

struct BuiltRelocation {
    std::uint32_t offset; // an address, as in an executable
    std::uint32_t symbol;
    std::uint8_t type;
};

class ElfBuilder {
public:
    // Returns the section index (1-based: index 0 is the null section).
    std::uint16_t addSection(BuiltSection section) {
        sections_.push_back(std::move(section));
        return static_cast<std::uint16_t>(sections_.size());
    }
    std::uint16_t code(std::vector<std::uint8_t> bytes, std::uint32_t address = 0) {
        return addSection({".text", elfconst::kProgBits, elfconst::kAlloc | elfconst::kExec, address, std::move(bytes), 0});
    }
    std::uint16_t data(std::vector<std::uint8_t> bytes, std::uint32_t address) {
        return addSection({".data", elfconst::kProgBits, elfconst::kAlloc | elfconst::kWrite, address, std::move(bytes), 0});
    }
    std::uint16_t bss(std::uint32_t size, std::uint32_t address) {
        return addSection({".bss", elfconst::kNoBits, elfconst::kAlloc | elfconst::kWrite, address, {}, size});
    }
    // Returns the symbol index (index 0 is the null symbol).
    std::uint32_t symbol(std::string name, std::uint32_t value, std::uint16_t section) {
        symbols_.push_back({std::move(name), value, section});
        return static_cast<std::uint32_t>(symbols_.size());
    }
    void relocate(std::uint16_t section, std::vector<BuiltRelocation> entries, bool rela = true) {
        relocations_.push_back({section, std::move(entries), rela});
    }

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> out(52, 0);
        struct Header {
            std::uint32_t name, type, flags, address, offset, size, link, info, align, entrySize;
        };
        std::vector<Header> headers(1, Header{});
        std::string names(1, '\0');
        auto addName = [&](const std::string& name) {
            const auto at = static_cast<std::uint32_t>(names.size());
            names += name;
            names += '\0';
            return at;
        };
        auto place = [&](const std::vector<std::uint8_t>& bytes) {
            const auto at = static_cast<std::uint32_t>(out.size());
            out.insert(out.end(), bytes.begin(), bytes.end());
            return at;
        };
        for (const BuiltSection& s : sections_) {
            const std::uint32_t size = s.type == elfconst::kNoBits ? s.noBitsSize : static_cast<std::uint32_t>(s.bytes.size());
            const std::uint32_t offset = s.type == elfconst::kNoBits ? static_cast<std::uint32_t>(out.size()) : place(s.bytes);
            headers.push_back({addName(s.name), s.type, s.flags, s.address, offset, size, 0, 0, 2, 0});
        }
        const auto symtabIndex = static_cast<std::uint32_t>(headers.size());
        std::string strings(1, '\0');
        std::vector<std::uint8_t> symtab(16, 0);
        for (const auto& sym : symbols_) {
            const auto nameAt = static_cast<std::uint32_t>(strings.size());
            strings += sym.name;
            strings += '\0';
            append32(symtab, sym.name.empty() ? 0 : nameAt);
            append32(symtab, sym.value);
            append32(symtab, 0);
            symtab.push_back(0);
            symtab.push_back(0);
            append16(symtab, sym.section);
        }
        headers.push_back({addName(".symtab"), elfconst::kSymTab, 0, 0, place(symtab),
                           static_cast<std::uint32_t>(symtab.size()), symtabIndex + 1, 1, 4, 16});
        headers.push_back({addName(".strtab"), elfconst::kStrTab, 0, 0, place({strings.begin(), strings.end()}),
                           static_cast<std::uint32_t>(strings.size()), 0, 0, 1, 0});
        for (const auto& r : relocations_) {
            std::vector<std::uint8_t> table;
            for (const auto& e : r.entries) {
                append32(table, e.offset);
                append32(table, e.symbol << 8 | e.type);
                if (r.rela) {
                    append32(table, 0);
                }
            }
            headers.push_back({addName((r.rela ? ".rela" : ".rel") + sections_.at(r.section - 1u).name),
                               r.rela ? elfconst::kRela : elfconst::kRel, 0, 0, place(table),
                               static_cast<std::uint32_t>(table.size()), symtabIndex, r.section, 4,
                               r.rela ? 12u : 8u});
        }
        const auto namesIndex = static_cast<std::uint16_t>(headers.size());
        const std::uint32_t namesName = addName(".shstrtab");
        headers.push_back({namesName, elfconst::kStrTab, 0, 0, 0, 0, 0, 0, 1, 0});
        headers.back().offset = place({names.begin(), names.end()});
        headers.back().size = static_cast<std::uint32_t>(names.size());
        while (out.size() % 4 != 0) {
            out.push_back(0);
        }
        const auto tableOffset = static_cast<std::uint32_t>(out.size());
        for (const Header& h : headers) {
            for (std::uint32_t v : {h.name, h.type, h.flags, h.address, h.offset, h.size, h.link, h.info, h.align,
                                    h.entrySize}) {
                append32(out, v);
            }
        }
        const std::uint8_t ident[16] = {0x7F, 'E', 'L', 'F', 1, 2, 1};
        std::copy(std::begin(ident), std::end(ident), out.begin());
        put16(out, 16, 2);      // ET_EXEC
        put16(out, 18, 4);      // EM_68K
        put32(out, 20, 1);      // EV_CURRENT
        put32(out, 32, tableOffset);
        put16(out, 40, 52);     // header size
        put16(out, 46, 40);     // section header size
        put16(out, 48, static_cast<std::uint16_t>(headers.size()));
        put16(out, 50, namesIndex);
        return out;
    }

    // Where section header i lies in the built file, for tests that corrupt one field.
    static std::uint32_t sectionHeaderAt(const std::vector<std::uint8_t>& file, std::uint32_t index) {
        const std::uint32_t table = static_cast<std::uint32_t>(file[32]) << 24 | file[33] << 16 | file[34] << 8 | file[35];
        return table + index * 40;
    }
    static void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
        out.at(at) = static_cast<std::uint8_t>(v >> 8);
        out.at(at + 1) = static_cast<std::uint8_t>(v);
    }
    static void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
        put16(out, at, static_cast<std::uint16_t>(v >> 16));
        put16(out, at + 2, static_cast<std::uint16_t>(v));
    }

private:
    static void append16(std::vector<std::uint8_t>& out, std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v >> 8));
        out.push_back(static_cast<std::uint8_t>(v));
    }
    static void append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
        append16(out, static_cast<std::uint16_t>(v >> 16));
        append16(out, static_cast<std::uint16_t>(v));
    }

    struct Symbol {
        std::string name;
        std::uint32_t value;
        std::uint16_t section;
    };
    struct Relocations {
        std::uint16_t section;
        std::vector<BuiltRelocation> entries;
        bool rela;
    };
    std::vector<BuiltSection> sections_;
    std::vector<Symbol> symbols_;
    std::vector<Relocations> relocations_;
};

} // namespace varno::test
