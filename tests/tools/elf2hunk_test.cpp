// varno-elf2hunk's conversion on hand-built ELF files: which sections become which
// hunks, how absolute references are rebased and listed, and what it refuses.
#include <gtest/gtest.h>

#include "hunk_converter.h"
#include "tools/elf_builder.h"
#include "tools/hunk_reader.h"

namespace varno::test {
namespace {

using elf2hunk::ConversionError;
using elf2hunk::convertToHunks;
using Relocations = std::map<std::uint32_t, std::vector<std::uint32_t>>;
using namespace elfconst;

constexpr std::uint32_t kCodeId = 0x3E9, kDataId = 0x3EA, kBssId = 0x3EB;
constexpr std::uint32_t kDataBase = 0x10000000, kBssBase = 0x20000000;

ReadExecutable convert(const ElfBuilder& builder) {
    const auto hunks = convertToHunks(builder.build());
    auto executable = readExecutable(hunks);
    if (!executable) {
        ADD_FAILURE() << "the converter wrote a file the reader does not accept";
        return {};
    }
    return *executable;
}

std::string conversionError(const std::vector<std::uint8_t>& file) {
    try {
        convertToHunks(file);
    } catch (const ConversionError& error) {
        return error.what();
    }
    return "(converted without error)";
}

// The linker leaves target address + addend in each long; the hunk file must hold the
// offset inside the target hunk, and list the long under that hunk.
TEST(Elf2Hunk, RebasesAbsoluteReferencesAndListsThemByTargetHunk) {
    ElfBuilder b;
    const auto text = b.code({0x4E, 0x71, 0x00, 0x00,  // nop; pad
                              0x10, 0x00, 0x00, 0x08,  // data+8
                              0x20, 0x00, 0x00, 0x0C,  // bss+12
                              0x00, 0x00, 0x00, 0x02}); // code+2
    const auto data = b.data({0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x06, 0x20, 0x00, 0x00, 0x10}, kDataBase);
    const auto bss = b.bss(16, kBssBase);
    const auto textSym = b.symbol("", 0, text);
    const auto dataSym = b.symbol("table", kDataBase + 8, data);
    const auto bssSym = b.symbol("", kBssBase, bss);
    b.relocate(text, {{4, dataSym, kR32}, {8, bssSym, kR32}, {12, textSym, kR32}});
    b.relocate(data, {{kDataBase + 12, bssSym, kR32}, {kDataBase + 8, textSym, kR32}});

    const auto exe = convert(b);
    ASSERT_EQ(exe.hunks.size(), 3u);
    EXPECT_EQ(exe.sizeTable, (std::vector<std::uint32_t>{4, 4, 4}));
    EXPECT_EQ(exe.hunks[0].id, kCodeId);
    EXPECT_EQ(exe.hunks[0].bytes, (std::vector<std::uint8_t>{0x4E, 0x71, 0, 0, 0, 0, 0, 8, 0, 0, 0, 12, 0, 0, 0, 2}));
    EXPECT_EQ(exe.hunks[0].relocations, (Relocations{{0, {12}}, {1, {4}}, {2, {8}}}));
    EXPECT_EQ(exe.hunks[1].id, kDataId);
    EXPECT_EQ(exe.hunks[1].bytes, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 16}));
    EXPECT_EQ(exe.hunks[1].relocations, (Relocations{{0, {8}}, {2, {12}}}));
    EXPECT_EQ(exe.hunks[2].id, kBssId);
    EXPECT_EQ(exe.hunks[2].longs, 4u);
}

TEST(Elf2Hunk, LeavesLoadIndependentReferencesAlone) {
    ElfBuilder b;
    const auto text = b.code({0x61, 0x00, 0x00, 0x06,  // bsr.w (pc-relative, same section)
                              0x00, 0x00, 0x40, 0x00,  // an absolute value
                              0x00, 0x12, 0x4E, 0x75}); // 16-bit absolute value; rts
    const auto local = b.symbol("local", 8, text);
    const auto magic = b.symbol("magic", 0x4000, kAbsolute);
    b.relocate(text, {{2, local, kRPc16}, {4, magic, kR32}, {8, magic, kR16}, {0, 0, 0 /* R_68K_NONE */}});
    const auto exe = convert(b);
    ASSERT_EQ(exe.hunks.size(), 1u);
    EXPECT_EQ(exe.hunks[0].bytes, (std::vector<std::uint8_t>{0x61, 0, 0, 6, 0, 0, 0x40, 0, 0, 0x12, 0x4E, 0x75}));
    EXPECT_TRUE(exe.hunks[0].relocations.empty());
}

TEST(Elf2Hunk, PadsHunksToWholeLongsAndAcceptsRelTables) {
    ElfBuilder b;
    const auto text = b.code({0x4E, 0x75, 0x00, 0x00, 0x00, 0x01, 0x70}); // 7 bytes
    b.relocate(text, {{2, b.symbol("", 0, text), kR32}}, /*rela=*/false);
    const auto exe = convert(b);
    ASSERT_EQ(exe.hunks.size(), 1u);
    EXPECT_EQ(exe.sizeTable, (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(exe.hunks[0].bytes, (std::vector<std::uint8_t>{0x4E, 0x75, 0, 0, 0, 1, 0x70, 0}));
    EXPECT_EQ(exe.hunks[0].relocations, (Relocations{{0, {2}}}));
}

// An empty section is dropped, unless something points into it: then it must keep a
// hunk, or the reference would have nowhere to go.
TEST(Elf2Hunk, KeepsEmptySectionsOnlyWhenReferenced) {
    ElfBuilder b;
    const auto text = b.code({0x20, 0x00, 0x00, 0x00});
    b.data({}, kDataBase);
    const auto bss = b.bss(0, kBssBase);
    b.relocate(text, {{0, b.symbol("bss_end", kBssBase, bss), kR32}});
    const auto exe = convert(b);
    ASSERT_EQ(exe.hunks.size(), 2u);
    EXPECT_EQ(exe.hunks[1].id, kBssId);
    EXPECT_EQ(exe.hunks[1].longs, 0u);
    EXPECT_EQ(exe.hunks[0].relocations, (Relocations{{1, {0}}}));
}

TEST(Elf2Hunk, MakesOneHunkPerSectionInSectionOrderAndSkipsUnloadedOnes) {
    ElfBuilder b;
    const auto first = b.code({0x4E, 0x75, 0x4E, 0x71});
    b.addSection({".comment", kProgBits, 0, 0, {'x', 0}, 0});
    const auto second = b.addSection({".text.more", kProgBits, kAlloc | kExec, 0x1000, {0x00, 0x00, 0x00, 0x00}, 0});
    const auto ro = b.addSection({".rodata", kProgBits, kAlloc, 0x2000, {0x00, 0x00, 0x10, 0x00}, 0});
    const auto debug = b.addSection({".debug_info", kProgBits, 0, 0, {0, 0, 0, 0}, 0});
    b.relocate(second, {{0x1000, b.symbol("", 0, first), kR32}});
    b.relocate(ro, {{0x2000, b.symbol("", 0x1000, second), kR32}});
    b.relocate(debug, {{0, b.symbol("", 0, first), 7}}); // unsupported, but in an unloaded section
    const auto exe = convert(b);
    ASSERT_EQ(exe.hunks.size(), 3u);
    EXPECT_EQ(exe.hunks[0].id, kCodeId);
    EXPECT_EQ(exe.hunks[1].id, kCodeId);
    EXPECT_EQ(exe.hunks[2].id, kDataId);
    EXPECT_EQ(exe.hunks[1].relocations, (Relocations{{0, {0}}}));
    EXPECT_EQ(exe.hunks[2].relocations, (Relocations{{1, {0}}}));
    EXPECT_EQ(exe.hunks[2].bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

// A converter must refuse what it cannot represent instead of writing a wrong file.
struct RefusalCase {
    const char* name;
    void (*setUp)(ElfBuilder&);
    const char* message;
};

const RefusalCase kRefusals[] = {
    {"pc-relative reference into another hunk",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         const auto data = b.data({0, 0, 0, 0}, kDataBase);
         b.relocate(text, {{0, b.symbol("far", kDataBase, data), kRPc32}});
     },
     "PC-relative reference at .text+0x0 to 'far' in section .data crosses hunks"},
    {"pc-relative reference to an absolute symbol",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         b.relocate(text, {{2, b.symbol("rom", 0xF80000, kAbsolute), kRPc16}});
     },
     "PC-relative reference to the absolute symbol 'rom' at .text+0x2 depends on the load address"},
    {"16-bit absolute reference to a section",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         b.relocate(text, {{2, b.symbol("near", 0, text), kR16}});
     },
     "16-bit absolute reference to 'near' at .text+0x2 cannot be relocated"},
    {"8-bit absolute reference to a section",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         b.relocate(text, {{3, b.symbol("near", 0, text), kR8}});
     },
     "8-bit absolute reference to 'near' at .text+0x3 cannot be relocated"},
    {"undefined symbol",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         b.relocate(text, {{0, b.symbol("__mulsi3", 0, kUndefined), kR32}});
     },
     "undefined symbol '__mulsi3' referenced at .text+0x0"},
    {"common symbol",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         b.relocate(text, {{0, b.symbol("shared", 4, kCommon), kR32}});
     },
     "lies in no section"},
    {"symbol in an unloaded section",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         const auto note = b.addSection({".comment", kProgBits, 0, 0, {0, 0, 0, 0}, 0});
         b.relocate(text, {{0, b.symbol("c", 0, note), kR32}});
     },
     "lies in a section that is not loaded"},
    {"32-bit reference at an odd offset",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0, 0, 0});
         b.relocate(text, {{1, b.symbol("", 0, text), kR32}});
     },
     "odd offset"},
    {"relocation inside BSS",
     [](ElfBuilder& b) {
         b.code({0, 0, 0, 0});
         const auto bss = b.bss(8, kBssBase);
         b.relocate(bss, {{kBssBase, b.symbol("", kBssBase, bss), kR32}});
     },
     "relocations inside the uninitialised section .bss"},
    {"relocation past the end of its section",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0, 0, 0});
         b.relocate(text, {{4, b.symbol("", 0, text), kR32}});
     },
     "relocation at 0x4 lies outside section .text"},
    {"relocation below the start of its section",
     [](ElfBuilder& b) {
         b.code({0, 0, 0, 0});
         const auto data = b.data({0, 0, 0, 0}, kDataBase);
         b.relocate(data, {{0, b.symbol("", kDataBase, data), kR32}});
     },
     "relocation at 0x0 lies outside section .data"},
    {"two relocations of one long",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         const auto self = b.symbol("", 0, text);
         b.relocate(text, {{0, self, kR32}, {0, self, kR32}});
     },
     "two relocations at .text+0x0"},
    {"unsupported relocation type",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         b.relocate(text, {{0, b.symbol("", 0, text), 7 /* R_68K_GOT32 */}});
     },
     "unsupported relocation type 7 at .text+0x0"},
    {"relocation naming a symbol that does not exist",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         b.relocate(text, {{0, 5, kR32}});
     },
     "names symbol 5, which does not exist"},
    {"symbol naming a section that does not exist",
     [](ElfBuilder& b) {
         const auto text = b.code({0, 0, 0, 0});
         b.relocate(text, {{0, b.symbol("lost", 0, 40), kR32}});
     },
     "symbol 'lost' names section 40, which does not exist"},
    {"allocated section of another type",
     [](ElfBuilder& b) { b.addSection({".note.tag", kNote, kAlloc, 0, {0, 0, 0, 0}, 0}); },
     "allocated section .note.tag has type 7, which has no hunk equivalent"},
    {"BSS too large for a hunk",
     [](ElfBuilder& b) {
         b.code({0, 0, 0, 0});
         b.bss(0x1000001, kBssBase);
     },
     "section .bss (0x1000001 bytes) does not fit the 68000's 16 MiB address space"},
    {"nothing to load",
     [](ElfBuilder& b) { b.addSection({".comment", kProgBits, 0, 0, {0}, 0}); },
     "no loadable sections"},
};

TEST(Elf2Hunk, RefusesWhatAHunkFileCannotExpress) {
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.name);
        ElfBuilder b;
        c.setUp(b);
        EXPECT_NE(conversionError(b.build()).find(c.message), std::string::npos)
            << "got: " << conversionError(b.build());
    }
}

std::vector<std::uint8_t> smallProgram() {
    ElfBuilder b;
    const auto text = b.code({0x41, 0xF9, 0x10, 0x00, 0x00, 0x00, 0x4E, 0x75});
    const auto data = b.data({1, 2, 3, 4}, kDataBase);
    b.relocate(text, {{2, b.symbol("value", kDataBase, data), kR32}});
    return b.build();
}

// Each case corrupts one field of a good file.
struct MalformedCase {
    const char* name;
    void (*corrupt)(std::vector<std::uint8_t>&);
    const char* message;
};

const MalformedCase kMalformed[] = {
    {"empty file", [](std::vector<std::uint8_t>& f) { f.clear(); }, "not an ELF file"},
    {"not ELF", [](std::vector<std::uint8_t>& f) { f[1] = 'X'; }, "not an ELF file"},
    {"truncated header", [](std::vector<std::uint8_t>& f) { f.resize(40); }, "truncated ELF header"},
    {"64-bit class", [](std::vector<std::uint8_t>& f) { f[4] = 2; }, "not a 32-bit ELF file"},
    {"little-endian", [](std::vector<std::uint8_t>& f) { f[5] = 1; }, "not a big-endian ELF file"},
    {"unknown version", [](std::vector<std::uint8_t>& f) { f[6] = 0; }, "unknown ELF version"},
    {"x86 machine", [](std::vector<std::uint8_t>& f) { ElfBuilder::put16(f, 18, 3); }, "not an m68k ELF file (machine 3)"},
    {"relocatable object", [](std::vector<std::uint8_t>& f) { ElfBuilder::put16(f, 16, 1); },
     "relocatable object: link it first"},
    {"shared object", [](std::vector<std::uint8_t>& f) { ElfBuilder::put16(f, 16, 3); },
     "not an executable ELF file (type 3)"},
    {"no section headers", [](std::vector<std::uint8_t>& f) { ElfBuilder::put16(f, 48, 0); }, "no section headers"},
    {"odd section header size", [](std::vector<std::uint8_t>& f) { ElfBuilder::put16(f, 46, 32); },
     "unexpected section header size 32"},
    {"section header table past the end",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, 32, static_cast<std::uint32_t>(f.size() - 20)); },
     "section header table runs past the end of the file"},
    {"section header table at a huge offset", [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, 32, 0xFFFFFFF0); },
     "section header table runs past the end of the file"},
    {"name table index out of range", [](std::vector<std::uint8_t>& f) { ElfBuilder::put16(f, 50, 200); },
     "section name table index out of range"},
    {"name table that is no string table", [](std::vector<std::uint8_t>& f) { ElfBuilder::put16(f, 50, 1); },
     "section name table is not a string table"},
    {"section contents past the end",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, ElfBuilder::sectionHeaderAt(f, 1) + 16, 0xFFFFFFFC); },
     "section 1 (offset 0xfffffffc, size 0x8) runs past the end of the file"},
    {"section size past the end",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, ElfBuilder::sectionHeaderAt(f, 2) + 20, 0x7FFFFFFF); },
     "runs past the end of the file"},
    {"section name outside the name table",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, ElfBuilder::sectionHeaderAt(f, 1), 0x10000); },
     "outside its string table"},
    {"symbol table with a wrong entry size",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, ElfBuilder::sectionHeaderAt(f, 3) + 36, 12); },
     "malformed symbol table"},
    {"symbol table linked to no string table",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, ElfBuilder::sectionHeaderAt(f, 3) + 24, 1); },
     "symbol table does not link to a string table"},
    {"relocation table with a wrong entry size",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, ElfBuilder::sectionHeaderAt(f, 5) + 36, 8); },
     "malformed relocation section .rela.text"},
    {"relocation table for no section",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, ElfBuilder::sectionHeaderAt(f, 5) + 28, 77); },
     "applies to no valid section"},
    {"relocation table without the symbol table",
     [](std::vector<std::uint8_t>& f) { ElfBuilder::put32(f, ElfBuilder::sectionHeaderAt(f, 5) + 24, 4); },
     "does not use the symbol table"},
};

TEST(Elf2Hunk, RejectsMalformedFilesWithAClearMessage) {
    for (const MalformedCase& c : kMalformed) {
        SCOPED_TRACE(c.name);
        auto file = smallProgram();
        c.corrupt(file);
        EXPECT_NE(conversionError(file).find(c.message), std::string::npos) << "got: " << conversionError(file);
    }
}

TEST(Elf2Hunk, RejectsEveryTruncationOfAGoodFile) {
    const auto file = smallProgram();
    ASSERT_NO_THROW(convertToHunks(file));
    for (std::size_t size = 0; size < file.size(); ++size) {
        const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_THROW(convertToHunks(cut), ConversionError) << "truncated to " << size << " bytes";
    }
}

// Damage anywhere must give either a clean refusal or a file the loader can read;
// under the sanitizer build this also proves no read strays outside the input.
TEST(Elf2Hunk, SurvivesDamageToAnyByte) {
    const auto good = smallProgram();
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
            auto file = good;
            file[at] ^= flip;
            try {
                EXPECT_TRUE(readExecutable(convertToHunks(file)).has_value()) << "byte " << at;
            } catch (const ConversionError&) {
            }
        }
    }
}

} // namespace
} // namespace varno::test
