// Calling a region's handlers as the bus does: with a record naming their device.
#pragma once

#include "memory/memory_region.h"

namespace varno::test {

inline BusRegion busRegionOf(const RegionHandlers& handlers) {
    BusRegion region{};
    region.device = handlers.device;
    return region;
}

} // namespace varno::test
