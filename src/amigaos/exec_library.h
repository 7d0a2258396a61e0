// exec.library: memory allocation, libraries and resources by name, interrupts.
#pragma once

#include "amigaos/library.h"

namespace varno {

class CExecLibrary : public CLibrary {
public:
    static constexpr uint32_t kNegativeSize = 780;  // vectors -6 .. -780
    static constexpr uint32_t kPositiveSize = 632;  // struct ExecBase
    static constexpr uint32_t kPreviousEnd = 0x180; // so the name lands at 0x1A0, the base at 0x4BC

    // ExecBase fields players look at.
    static constexpr uint32_t kAttnFlags = 296;
    static constexpr uint32_t kVBlankFrequency = 530;
    static constexpr uint32_t kPowerSupplyFrequency = 568;

    explicit CExecLibrary(const OsParts& parts);

    uint32_t negativeSize() const override { return kNegativeSize; }
    uint32_t positiveSize() const override { return kPositiveSize; }
    void dispatch(int16_t lvo) override;

private:
    struct Call {
        int16_t lvo;
        const char* name;
        void (CExecLibrary::*run)();
    };
    static const Call kCalls[];

    void setIntVector();
    void addIntServer();
    void cause();
    void allocMem();
    void openResource();
    void typeOfMem();
    void openLibrary();
};

} // namespace varno
