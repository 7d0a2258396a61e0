// AND and ANDI.
#include "cpu/ops_logic.h"

namespace varno::cpu {

using namespace logical;

void addAndFamily(Handler* table) {
    addPattern<"1100rrrooommmxxx", Logic>(table);
    addPattern<"00000010ssmmmrrr", LogicImmediate>(table);
}

} // namespace varno::cpu
