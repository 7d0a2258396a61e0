// CMP, CMPA, CMPM and CMPI.
#include "cpu/ops_arithmetic.h"

namespace varno::cpu {

using namespace arithmetic;

void addCompareFamily(Handler* table) {
    addPattern<"1011rrr0oommmxxx", Arith>(table);  // CMP
    addPattern<"1011rrr011mmmxxx", Arith>(table);  // CMPA.W
    addPattern<"1011rrr111mmmxxx", Arith>(table);  // CMPA.L
    addPattern<"1011xxx1ss001yyy", Cmpm>(table);
    addPattern<"00001100ssmmmrrr", Immediate>(table);
}

} // namespace varno::cpu
