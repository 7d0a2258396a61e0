// Errors the user must see, in a modal message box with the error icon. No owner
// window: the plugin may be called from any of the host's threads.
#include "platform/message_box.h"

#include <windows.h>

#include <utility>

namespace varno {

namespace {
ErrorSink& currentSink() {
    static ErrorSink sink;
    return sink;
}
} // namespace

void showError(const char* caption, const char* text) {
    if (currentSink()) {
        currentSink()(caption, text);
        return;
    }
    MessageBoxA(nullptr, text, caption, MB_ICONERROR);
}

ErrorSink setErrorSink(ErrorSink sink) { return std::exchange(currentSink(), std::move(sink)); }

} // namespace varno
