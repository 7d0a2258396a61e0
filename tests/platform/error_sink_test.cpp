#include <gtest/gtest.h>

#include "platform/message_box.h"

namespace varno {
namespace {

TEST(ErrorSink, CapturesCaptionAndTextThenRestoresDefault) {
    std::string caption, text;
    auto previous = setErrorSink([&](const std::string& c, const std::string& t) {
        caption = c;
        text = t;
    });
    showError(kPluginCaption, "Emulated CPU went into the weeds. (PC = 0x00dff000)");
    setErrorSink(previous);
    EXPECT_EQ(caption, "XMP-Varno plugin");
    EXPECT_EQ(text, "Emulated CPU went into the weeds. (PC = 0x00dff000)");

    testing::internal::CaptureStderr();
    showError(kPluginCaption, "hello");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "XMP-Varno plugin: hello\n");
}

} // namespace
} // namespace varno
