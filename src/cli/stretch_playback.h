// While a subsong's chosen stretch plays: what the stretch overrides in the
// plugin (its song-end setting and play time for --loops, the silence rule for
// any end the listener gave), put back when the subsong is done.
#pragma once

#include "cli/time_window.h"
#include "machine/settings.h"

namespace varno::cli {

class StretchPlayback {
public:
    explicit StretchPlayback(const FramePlan& plan);
    ~StretchPlayback();
    StretchPlayback(const StretchPlayback&) = delete;
    StretchPlayback& operator=(const StretchPlayback&) = delete;

private:
    PluginSettings saved_;
};

} // namespace varno::cli
