// MD5 (RFC 1321): the checksum varno info --json prints, and the length cache's
// key of a file's bytes. A checksum files are told apart by, not a security measure.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace varno {

using Md5Digest = std::array<uint8_t, 16>;

Md5Digest md5(const uint8_t* data, size_t size);

// The digest as 32 lower-case hexadecimal digits.
std::string md5Hex(const uint8_t* data, size_t size);

} // namespace varno
