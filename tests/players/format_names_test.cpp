// Player names mapped to shown and short format names.
#include <gtest/gtest.h>

#include <cstring>

#include "players/format_names.h"

namespace varno {
namespace {

TEST(FormatNames, MapsNamesWithoutRegardToCase) {
    struct Row { const char* name; const char* tagBefore; const char* shown; const char* tag; };
    const Row rows[] = {
        {"Laxity-Player", "", "PowerTracker", "PT"},
        {"lAXITY-pLAYER", "", "PowerTracker", "PT"},
        {"Jochen Hippel", "", "Jochen Hippel", "SOG"},          // short name only
        {"Jochen Hippel 7V", "XYZ", "Jochen Hippel 7V", "XYZ"}, // no row: both stay
        {"Beathoven Synthesizer", "BSS", "Beathoven", "BSS"},   // shown name only
        {"MED/OctaMED (8ch)", "", "MED/OctaMED", "MED"},
        {"MED/OctaMED (4ch)", "", "MED/OctaMED", "MED"},
        {"Scumm", "", "SCUMM", "SCUM"},
        {"", "", "", ""},
    };
    for (const Row& r : rows) {
        char title[32], tag[8];
        std::strcpy(title, r.name);
        std::strcpy(tag, r.tagBefore);
        applyFormatName(title, tag);
        EXPECT_STREQ(title, r.shown) << r.name;
        EXPECT_STREQ(tag, r.tag) << r.name;
    }
}

TEST(FormatNames, FirstAndLastRowsAreReachable) {
    ASSERT_NE(findFormatName("AProSys"), nullptr);
    EXPECT_STREQ(findFormatName("AProSys")->shortName, "APS");
    EXPECT_EQ(findFormatName("AProSys")->shownName, nullptr);
    ASSERT_NE(findFormatName("STARTREKKER"), nullptr);
    EXPECT_STREQ(findFormatName("STARTREKKER")->shownName, "AudioSculpture");
    EXPECT_EQ(findFormatName("StarTrekker 2"), nullptr);
}

} // namespace
} // namespace varno
