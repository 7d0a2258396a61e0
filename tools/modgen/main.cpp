// varno-modgen <folder>: writes the generated songs there as <name>.mod and lists them.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "songs.h"

int main(int argc, char** argv) {
    // An option is never a folder name: "--help" must not become a folder.
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: varno-modgen <output folder>\n");
        return 2;
    }
    try {
        std::filesystem::create_directories(argv[1]);
        for (const auto& song : varno::modgen::allSongs()) {
            const auto bytes = varno::modgen::writeModule(song.module);
            const auto path = std::filesystem::path(argv[1]) / (song.name + ".mod");
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            if (!out) {
                std::fprintf(stderr, "varno-modgen: cannot write %s\n", path.string().c_str());
                return 1;
            }
            std::printf("%-24s %7zu bytes  %s\n", path.filename().string().c_str(), bytes.size(), song.what.c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varno-modgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
