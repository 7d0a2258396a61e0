// Failures the user must see. On Windows a modal message box with the error icon;
// elsewhere the text goes to an error sink that prints it and that tests can replace.
#pragma once

#include <functional>
#include <string>

namespace varno {

constexpr const char* kPluginCaption = "XMP-Varno plugin";

void showError(const char* caption, const char* text);

// Replaces where errors go (the default prints "XMP-Varno plugin: <text>" to
// standard error on platforms without message boxes). Returns the previous sink;
// an empty function restores the default.
using ErrorSink = std::function<void(const std::string& caption, const std::string& text)>;
ErrorSink setErrorSink(ErrorSink sink);

} // namespace varno
