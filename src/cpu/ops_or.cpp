// OR and ORI.
#include "cpu/ops_logic.h"

namespace varno::cpu {

using namespace logical;

void addOrFamily(Handler* table) {
    addPattern<"1000rrrooommmxxx", Logic>(table);
    addPattern<"00000000ssmmmrrr", LogicImmediate>(table);
}

} // namespace varno::cpu
