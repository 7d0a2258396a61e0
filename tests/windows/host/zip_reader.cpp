// ZIP layout: an end-of-central-directory record at the file's end points to the
// central directory, whose records point to each entry's local header.
#include "zip_reader.h"

#include <zlib.h>

namespace xmphost {

namespace {

uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kDirectoryRecord = 0x02014b50;
constexpr uint32_t kLocalHeader = 0x04034b50;

std::optional<std::vector<uint8_t>> inflateRaw(const uint8_t* data, uint32_t size, uint32_t expected) {
    std::vector<uint8_t> out(expected);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;
    stream.next_in = const_cast<uint8_t*>(data);
    stream.avail_in = size;
    stream.next_out = out.data();
    stream.avail_out = expected;
    const int result = inflate(&stream, Z_FINISH);
    const bool complete = result == Z_STREAM_END && stream.total_out == expected;
    inflateEnd(&stream);
    if (!complete) return std::nullopt;
    return out;
}

} // namespace

ZipReader::ZipReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    const auto& b = bytes_;
    if (b.size() < 22) return;
    size_t end = b.size() - 22;
    // The record may be followed by an archive comment of up to 64 KB.
    while (le32(b, end) != kEndOfDirectory) {
        if (end == 0 || b.size() - end > 22 + 0xFFFF) return;
        --end;
    }
    const uint32_t count = le16(b, end + 10);
    size_t at = le32(b, end + 16);
    for (uint32_t i = 0; i < count; ++i) {
        if (at + 46 > b.size() || le32(b, at) != kDirectoryRecord) return;
        Entry e;
        e.method = uint16_t(le16(b, at + 10));
        e.compressedSize = le32(b, at + 20);
        e.size = le32(b, at + 24);
        const uint32_t nameLength = le16(b, at + 28);
        const uint32_t extraLength = le16(b, at + 30);
        const uint32_t commentLength = le16(b, at + 32);
        e.localHeader = le32(b, at + 42);
        if (at + 46 + nameLength > b.size()) return;
        e.name.assign(reinterpret_cast<const char*>(&b[at + 46]), nameLength);
        at += 46 + nameLength + extraLength + commentLength;
        if (!e.name.empty() && e.name.back() != '/') {
            names_.push_back(e.name);
            entries_.push_back(e);
        }
    }
    valid_ = true;
}

std::optional<std::vector<uint8_t>> ZipReader::read(const std::string& name) const {
    for (const Entry& e : entries_) {
        if (e.name != name) continue;
        const auto& b = bytes_;
        const size_t at = e.localHeader;
        if (at + 30 > b.size() || le32(b, at) != kLocalHeader) return std::nullopt;
        const size_t data = at + 30 + le16(b, at + 26) + le16(b, at + 28);
        if (data + e.compressedSize > b.size()) return std::nullopt;
        if (e.method == 0 && e.compressedSize == e.size)
            return std::vector<uint8_t>(b.begin() + long(data), b.begin() + long(data + e.size));
        if (e.method == 8) return inflateRaw(&b[data], e.compressedSize, e.size);
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace xmphost
