// ciaa.resource and ciab.resource: how players claim a CIA timer's interrupt.
#pragma once

#include "amigaos/library.h"

namespace varno {

struct CiaChip;

class CCiaResource : public CResource {
public:
    CCiaResource(const OsParts& parts, uint32_t previousEnd, const char* name, CiaChip* ciaDevice);
    void dispatch(int16_t lvo) override;

    CiaChip* ciaDevice;
    // Interrupt structures registered for the two timers; the frame driver runs
    // the chosen one's code every tick.
    uint32_t timerAInterrupt = 0;
    uint32_t timerBInterrupt = 0;

private:
    void addICRVector();
    void ableICR();
};

} // namespace varno
