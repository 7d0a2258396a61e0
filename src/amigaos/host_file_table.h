// The host files a player holds open through dos.library, and the 32-bit values
// its 68000 code knows them by.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/host_tables.h"

namespace varno {

// A host handle that fits in 32 bits is handed to 68000 code unchanged, as a
// player on the real host sees it. One that does not (a pointer on a 64-bit
// host) gets a token instead, so a truncated pointer never goes back to the
// host. Every value handed out is non-zero and unique among the open files,
// so a value 68000 code invents, keeps after Close or corrupts is recognised
// as unknown instead of reaching the host.
class HostFileTable {
public:
    // More files than replay routines ever hold open at once; a fixed table
    // keeps dos calls free of allocation.
    static constexpr size_t kCapacity = 64;

    // Records an open host file; returns the value for 68000 code, or 0 when
    // the table is full (the caller still owns the file then).
    uint32_t add(HostFile file);
    // The host file behind a value from add, or null when none is open under it.
    HostFile find(uint32_t value) const;
    // Forgets the value; returns its host file, or null when none was open under it.
    HostFile remove(uint32_t value);
    // Forgets one open file and returns it, or null when none is open.
    HostFile removeAny();
    size_t size() const;

private:
    struct Entry {
        HostFile file = nullptr;
        uint32_t value = 0;
    };
    bool inUse(uint32_t value) const;
    uint32_t newToken();

    std::array<Entry, kCapacity> entries_{};
    // Tokens start above the 24-bit address space so that they never look like
    // a pointer into emulated memory; each is fresh, so a token kept after its
    // Close does not name a later file.
    uint32_t nextToken_ = 0x01000000;
};

} // namespace varno
