// MD5 (RFC 1321) of a file's bytes, for varno info --json: a checksum scripts
// compare files by, not a security measure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varno::cli {

// The digest as 32 lower-case hexadecimal digits.
std::string md5Hex(const uint8_t* data, size_t size);

} // namespace varno::cli
