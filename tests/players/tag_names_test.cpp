// Tag ids and names that players and fault messages rely on.
#include <gtest/gtest.h>

#include "players/tag_names.h"

namespace varno {
namespace {

TEST(TagNames, IdsAndNamesLineUp) {
    struct Row { uint32_t id; const char* name; };
    const Row dt[] = {{0x80004455, "CustomPlayer"}, {0x80004459, "PlayerName"}, {0x8000445A, "Creator"},
                      {0x8000445B, "Check1"},       {0x8000445C, "Check2"},     {0x80004460, "Config"},
                      {0x80004473, "DeliBase"},     {0x80004474, "Flags"},      {0x80004479, "NotePlayer"},
                      {0x80004454 + 57, "MiscText"}};
    for (const Row& r : dt) EXPECT_STREQ(dtTagNames[r.id - kDtTagBase], r.name) << std::hex << r.id;
    const Row ep[] = {{0x80004550, "GetModuleInfo"}, {0x8000455E, "Flags"},     {0x80004564, "Check3"},
                      {0x80004566, "NewModuleInfo"}, {0x80004573, "InitAmplifier"}, {0x8000457A, "EagleBase"},
                      {0x80004550 + 46, "SamplePlayer"}};
    for (const Row& r : ep) EXPECT_STREQ(epTagNames[r.id - kEpTagBase], r.name) << std::hex << r.id;
    EXPECT_EQ(DTP_Interrupt, 10);
    EXPECT_EQ(EP_Check3, 20);
}

} // namespace
} // namespace varno
