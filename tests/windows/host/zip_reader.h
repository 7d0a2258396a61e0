// A small ZIP reader for the test host: the central directory, stored and deflated
// entries. Enough for the player archives the build packs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xmphost {

class ZipReader {
public:
    // Parses the archive held in `bytes`; an archive that does not parse has no entries.
    explicit ZipReader(std::vector<uint8_t> bytes);

    bool valid() const { return valid_; }
    const std::vector<std::string>& names() const { return names_; }
    // The entry's contents, or nothing when it is missing or damaged.
    std::optional<std::vector<uint8_t>> read(const std::string& name) const;

private:
    struct Entry {
        std::string name;
        uint16_t method;
        uint32_t compressedSize;
        uint32_t size;
        uint32_t localHeader;
    };
    std::vector<uint8_t> bytes_;
    std::vector<Entry> entries_;
    std::vector<std::string> names_;
    bool valid_ = false;
};

} // namespace xmphost
