// The CIA resources' calls and layout.
#include <gtest/gtest.h>

#include "amigaos/system.h"
#include "hardware/cia.h"
#include "machine/machine_fixture.h"

namespace varno {
namespace {

class CiaResourceCalls : public test::MachineTest {
protected:
    void call(const CCiaResource& resource, int16_t lvo) {
        low().handlers.writeWord(resource.trapAddress(), uint16_t(lvo), test::busRegionOf(low().handlers));
    }
};

TEST_F(CiaResourceCalls, AddICRVectorClaimsAndStartsATimer) {
    const CCiaResource& ciab = *m().system->ciab;
    struct Row {
        uint32_t bit;
        uint32_t interrupt;
        uint32_t result;
        uint8_t icr, cra, crb;
        uint32_t timerA, timerB;
    };
    // Applied in order on CIA-B: a second claim of timer A simply replaces the first.
    const Row rows[] = {
        {0, 0x30000, 0, 0x01, 0x01, 0x00, 0x30000, 0},
        {0, 0x30100, 0, 0x01, 0x01, 0x00, 0x30100, 0},
        {1, 0x30200, 0, 0x03, 0x01, 0x01, 0x30100, 0x30200},
        {4, 0x30300, 0xFFFFFFFF, 0x03, 0x01, 0x01, 0x30100, 0x30200},
        {0x100, 0x30300, 0xFFFFFFFF, 0x03, 0x01, 0x01, 0x30100, 0x30200},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.interrupt);
        registers().d[0] = r.bit;
        registers().a[1] = r.interrupt;
        call(ciab, -6);
        EXPECT_EQ(registers().d[0], r.result);
        EXPECT_EQ(m().ciaB->ICR, r.icr);
        EXPECT_EQ(m().ciaB->CRA, r.cra);
        EXPECT_EQ(m().ciaB->CRB, r.crb);
        EXPECT_EQ(ciab.timerAInterrupt, r.timerA);
        EXPECT_EQ(ciab.timerBInterrupt, r.timerB);
    }
    EXPECT_EQ(m().ciaA->ICR, 0) << "ciab's calls reach only CIA-B";

    registers().d[0] = 0;
    call(ciab, -12);  // RemICRVector forgets nothing
    EXPECT_EQ(ciab.timerAInterrupt, 0x30100u);
    m().reset();
    EXPECT_EQ(ciab.timerAInterrupt, 0u);
    EXPECT_EQ(ciab.timerBInterrupt, 0u);
}

TEST_F(CiaResourceCalls, AbleICRAndSetICRChangeTheEnableMask) {
    const CCiaResource& ciaa = *m().system->ciaa;
    struct Row {
        int16_t lvo;
        uint32_t mask;
        uint8_t icrAfter;
        uint32_t oldIcr;
    };
    const Row rows[] = {
        {-18, 0x81, 0x01, 0x00}, {-18, 0x82, 0x03, 0x01}, {-18, 0x01, 0x02, 0x03},
        {-24, 0x82, 0x02, 0x02}, {-24, 0x9C, 0x1E, 0x02}, {-24, 0x7F, 0x00, 0x1E},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mask);
        registers().d[0] = r.mask;
        call(ciaa, r.lvo);
        EXPECT_EQ(registers().d[0], r.oldIcr);
        EXPECT_EQ(m().ciaA->ICR, r.icrAfter);
    }
}

TEST_F(CiaResourceCalls, ResourcesAreMarkedAsResources) {
    EXPECT_EQ(low().readByte(m().system->ciaa->baseAddress() + 8), 8);
    EXPECT_EQ(m().system->ciaa->ciaDevice, m().ciaA.get());
    EXPECT_EQ(m().system->ciab->ciaDevice, m().ciaB.get());
}

} // namespace
} // namespace varno
