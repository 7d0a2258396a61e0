// The names of the player-interface tags, in id order.
#include "players/tag_names.h"

namespace varno {

const char* const dtTagNames[kDtTagCount] = {
    "InternalPlayer", "CustomPlayer", "RequestDTVersion", "RequestKickVersion",
    "PlayerVersion", "PlayerName", "Creator", "Check1",
    "Check2", "ExtLoad", "Interrupt", "Stop",
    "Config", "UserConfig", "SubSongRange", "InitPlayer",
    "EndPlayer", "InitSound", "EndSound", "StartInt",
    "StopInt", "Volume", "Balance", "Faster",
    "Slower", "NextPatt", "PrevPatt", "NextSong",
    "PrevSong", "SubSongTest", "NewSubSongRange", "DeliBase",
    "Flags", "CheckLen", "Description", "Decrunch",
    "Convert", "NotePlayer", "NoteStruct", "NoteInfo",
    "NoteSignal", "Process", "Priority", "StackSize",
    "MsgPort", "Appear", "Disappear", "ModuleName",
    "FormatName", "AuthorName", "InitNote", "NoteAllocMem",
    "NoteFreeMem", "PlayerInfo", "Patterns", "Duration",
    "SampleData", "MiscText",
};

const char* const epTagNames[kEpTagCount] = {
    "GetModuleInfo", "FreeModuleInfo", "Voices", "SampleInit",
    "SampleEnd", "Save", "ModuleChange", "ModuleRestore",
    "StructInit", "StructEnd", "LoadPlConfig", "SavePlConfig",
    "GetPositionNr", "SetSpeed", "Flags", "KickVersion",
    "PlayerVersion", "CheckModule", "EjectPlayer", "Date",
    "Check3", "SaveAsPT", "NewModuleInfo", "FreeExtLoad",
    "PlaySample", "PatternInit", "PatternEnd", "Check4",
    "Check5", "Check6", "CreatorLNr", "PlayerNameLNr",
    "PlayerInfo", "PlaySampleInit", "PlaySampleEnd", "InitAmplifier",
    "CheckSegment", "Show", "Hide", "LocaleTable",
    "Helpnodename", "AttnFlags", "EagleBase", "Check7",
    "Check8", "SetPlayFrequency", "SamplePlayer",
};

} // namespace varno
