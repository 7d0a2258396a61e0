// Error reporting where no message box exists: the text goes to standard error.
#include "platform/message_box.h"

#include <cstdio>
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
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

ErrorSink setErrorSink(ErrorSink sink) { return std::exchange(currentSink(), std::move(sink)); }

} // namespace varno
