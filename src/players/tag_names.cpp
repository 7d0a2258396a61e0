// The names of the player-interface tags, in id order.
#include "players/tag_names.h"

namespace varno {

#define VARNO_TAG_NAME(name, index) #name,

const char* const dtTagNames[kDtTagCount] = {VARNO_DT_TAGS(VARNO_TAG_NAME)};
const char* const epTagNames[kEpTagCount] = {VARNO_EP_TAGS(VARNO_TAG_NAME)};

} // namespace varno
