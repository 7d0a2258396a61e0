// ADD, ADDA, ADDX, ADDI and ADDQ.
#include "cpu/ops_arithmetic.h"

namespace varno::cpu {

using namespace arithmetic;

void addAddFamily(Handler* table) {
    addPattern<"1101rrrooommmxxx", Arith>(table);
    addPattern<"1101xxx1ss00mrrr", Extended>(table);
    addPattern<"00000110ssmmmrrr", Immediate>(table);
    addPattern<"0101ddd0ssmmmrrr", Quick>(table);
}

} // namespace varno::cpu
