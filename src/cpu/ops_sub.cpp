// SUB, SUBA, SUBX, SUBI, SUBQ, NEG and NEGX.
#include "cpu/ops_arithmetic.h"

namespace varno::cpu {

using namespace arithmetic;

void addSubFamily(Handler* table) {
    addPattern<"1001rrrooommmxxx", Arith>(table);
    addPattern<"1001xxx1ss00mrrr", Extended>(table);
    addPattern<"00000100ssmmmrrr", Immediate>(table);
    addPattern<"0101ddd1ssmmmrrr", Quick>(table);
    addPattern<"01000000ssmmmrrr", Negate>(table);
    addPattern<"01000100ssmmmrrr", Negate>(table);
}

} // namespace varno::cpu
