// varno-elf2hunk: converts a linked m68k ELF executable into an AmigaOS hunk executable.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "hunk_converter.h"

namespace {

// Far more than any replay routine; keeps a wrong argument from filling memory.
constexpr std::uintmax_t kMaxInputBytes = 64u << 20;

std::vector<std::uint8_t> readInput(const std::filesystem::path& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        throw varno::elf2hunk::ConversionError("cannot read: " + error.message());
    }
    if (size > kMaxInputBytes) {
        throw varno::elf2hunk::ConversionError("file is larger than 64 MiB");
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
        throw varno::elf2hunk::ConversionError("cannot read");
    }
    return bytes;
}

// Written beside the target and renamed, so a failed run never leaves a half file
// that a build would take for a good one.
void writeOutput(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            throw varno::elf2hunk::ConversionError("cannot write " + temporary.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        throw varno::elf2hunk::ConversionError("cannot write " + path.string());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: varno-elf2hunk <input.elf> <output>\n");
        return 2;
    }
    const std::filesystem::path input = argv[1];
    const std::filesystem::path output = argv[2];
    try {
        writeOutput(output, varno::elf2hunk::convertToHunks(readInput(input)));
    } catch (const std::exception& error) {
        std::error_code ignored;
        std::filesystem::remove(output, ignored);
        std::fprintf(stderr, "varno-elf2hunk: %s: %s\n", input.string().c_str(), error.what());
        return 1;
    }
    return 0;
}
