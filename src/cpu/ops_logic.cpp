// EOR, EORI, NOT, CLR and TST.
#include "cpu/ops_logic.h"

namespace varno::cpu {

using namespace logical;

void addLogicFamily(Handler* table) {
    addPattern<"1011rrr1ssmmmxxx", Logic>(table);
    addPattern<"00001010ssmmmrrr", LogicImmediate>(table);
    addPattern<"01000110ssmmmrrr", Not>(table);
    addPattern<"01000010ssmmmrrr", Clr>(table);
    addPattern<"01001010ssmmmrrr", Tst>(table);
}

} // namespace varno::cpu
