// The format-name table, one row per player name.
#include "players/format_names.h"

#include <cstdio>
#include <iterator>

#include "amigaos/text.h"

namespace varno {

namespace {

// clang-format off
constexpr FormatNameRow kFormatNames[] = {
    // player name (key)               shown name              short name
    {"AProSys",                        nullptr,                "APS"},
    {"Action Amics",                   nullptr,                "AST"},
    {"DeltaMusic 2.0",                 nullptr,                "DM2"},
    {"FutureComposer 1.3",             nullptr,                "FC13"},
    {"FutureComposer 1.4",             nullptr,                "FC14"},
    {"IFF EMOD",                       "QuadraComposer",       "EMOD"},
    {"In Stereo!",                     nullptr,                "IS"},
    {"In Stereo 2.0",                  nullptr,                "IS20"},
    {"JamCracker",                     nullptr,                "JAM"},
    {"Laxity-Player",                  "PowerTracker",         "PT"},
    {"Major Tom's Player 2.01",        "Major Tom",            "MTP2"},
    {"Mark_II",                        "Mark II",              "MKII"},
    {"SIDMon 2.0",                     nullptr,                "SID2"},
    {"Synth 4.0",                      "Synthesis",            "SYNT"},
    {"Syntracker",                     nullptr,                "ST"},
    {"TronicTracker(?)",               "TronicTracker",        "TRNC"},
    {"Amos Music Bank",                "AMOS Music Bank",      "AMBK"},
    {"ArtOfNoise (4ch)",               "Art Of Noise",         "AON"},
    {"FredMonitor",                    "Fred Editor",          "FRED"},
    {"FutureComposer BSI",             "BSI FutureComposer",   "BSI"},
    {"MarkCookseyOld",                 "Mark Cooksey (old)",   "MCO"},
    {"MED/OctaMED (4ch)",              "MED/OctaMED",          "MED"},
    {"Medley",                         nullptr,                "MSO"},
    {"MON",                            nullptr,                "MON"},
    {"Music-Assembler",                nullptr,                "MA"},
    {"MED/OctaMED (8ch)",              "MED/OctaMED",          "MED"},
    {"SIDMon 1.0",                     nullptr,                "SID1"},
    {"SoundMon 2.0",                   nullptr,                "BP"},
    {"SoundMon 2.2",                   nullptr,                "BP3"},
    {"Darius Zendeh Player",           "Darius Zendeh",        "DZ"},
    {"Art&Magic",                      "Art & Magic",          "A&M"},
    {"Dave Lowe's Sound System",       "Dave Lowe",            "DL"},
    {"DeltaMusic",                     nullptr,                "DM1"},
    {"DigiBooster",                    nullptr,                "DIGI"},
    {"FWMP",                           nullptr,                "FWMP"},
    {"GlueMon",                        nullptr,                "GLUE"},
    {"Infogrames",                     nullptr,                "DUM"},
    {"Lionheart-Player",               "Lionheart",            "LION"},
    {"Follin Player II",               "Tim Follin II",        "TF"},
    {"VSS",                            nullptr,                "VSS"},
    {"The YM2149 Player v1.52c",       "YMST",                 "YM"},
    {"Beathoven Synthesizer",          "Beathoven",            nullptr},
    {"Digital Sound Creations",        "D. Sound Creations",   nullptr},
    {"Digital Sonix & Chrome",         "Sonix & Chrome",       nullptr},
    {"Digital Sound Studio",           nullptr,                "DSS"},
    {"Dynamic Synthesizer",            nullptr,                "DNS"},
    {"Editeur Musical Sequentiel",     "EMS",                  nullptr},
    {"Jochen Hippel",                  nullptr,                "SOG"},
    {"Peter Verswyvelen Packer",       "Peter Verswyvelen",    nullptr},
    {"Pierre Adane Packer",            "Pierre Adane",         nullptr},
    {"Professional Sound Artists",     "Prof. Sound Artists",  nullptr},
    {"Richard Joseph Player",          "Richard Joseph",       nullptr},
    {"Sound Programming Language",     "SOPROL",               nullptr},
    {"Soundcontrol 3.0/3.2/4.0/5.0",   "SoundControl",         nullptr},
    {"The Musical Enlightenment",      "Musical Enlightement", nullptr},
    {"Sonix Music Driver",             "Sonix",                "SMUS"},
    {"StarTrekker",                    "AudioSculpture",       "ADSC"},
    {"Scumm",                          "SCUMM",                "SCUM"},
};
// clang-format on
static_assert(std::size(kFormatNames) == 58);

} // namespace

const FormatNameRow* findFormatName(const char* playerName) {
    for (const FormatNameRow& row : kFormatNames)
        if (equalsIgnoringCase(row.playerName, playerName)) return &row;
    return nullptr;
}

void applyFormatName(char (&formatTitle)[32], char (&formatTag)[8]) {
    const FormatNameRow* row = findFormatName(formatTitle);
    if (!row) return;
    if (row->shownName) std::snprintf(formatTitle, sizeof formatTitle, "%s", row->shownName);
    if (row->shortName) std::snprintf(formatTag, sizeof formatTag, "%s", row->shortName);
}

} // namespace varno
