// The emulated operating-system environment: exec, graphics, dos and varno
// libraries, the two CIA resources and the player-interface block.
#pragma once

namespace varno {

class CSystem {
public:
    virtual ~CSystem() = default;
};

} // namespace varno
