// What the processor stand-in recorded.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace varno {
struct RaisedInterrupts {
    std::vector<std::pair<int32_t, int32_t>> calls; // level, vector
};
extern RaisedInterrupts raisedInterrupts;
} // namespace varno
