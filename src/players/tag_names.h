// Tag ids of the DeliTracker and EaglePlayer player interfaces and their names,
// which also name a player's routines in fault messages.
#pragma once

#include <cstdint>

#include "players/tag_table.h"

namespace varno {

// The tags come from the players' own header (m68k/include/varno/tags.h), read
// at configure time into players/tag_table.h, so a player and the host cannot
// disagree on one.
constexpr uint32_t kDtTagBase = VARNO_DT_TAG_BASE; // DeliTracker tag k has id kDtTagBase + k
constexpr int kDtTagCount = VARNO_DT_TAG_COUNT;
constexpr uint32_t kEpTagBase = VARNO_EP_TAG_BASE; // EaglePlayer tag k has id kEpTagBase + k
constexpr int kEpTagCount = VARNO_EP_TAG_COUNT;

#define VARNO_ENUMERATE(prefix, name, value) prefix##name = value,
#define VARNO_DT_ENUMERATOR(name, index) VARNO_ENUMERATE(DTP_, name, index)
#define VARNO_EP_ENUMERATOR(name, index) VARNO_ENUMERATE(EP_, name, index)
#define VARNO_MI_ENUMERATOR(name, id) VARNO_ENUMERATE(MI_, name, id)

// Indexes into SlavePlayer::dtTags.
enum DtTag : int { VARNO_DT_TAGS(VARNO_DT_ENUMERATOR) };
// Indexes into SlavePlayer::epTags.
enum EpTag : int { VARNO_EP_TAGS(VARNO_EP_ENUMERATOR) };
// Ids of the tags of a player's module-information list.
enum ModuleInfoTag : uint32_t { VARNO_MI_TAGS(VARNO_MI_ENUMERATOR) };

#undef VARNO_MI_ENUMERATOR
#undef VARNO_EP_ENUMERATOR
#undef VARNO_DT_ENUMERATOR
#undef VARNO_ENUMERATE

extern const char* const dtTagNames[kDtTagCount];
extern const char* const epTagNames[kEpTagCount];

} // namespace varno
