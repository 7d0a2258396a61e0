// Windows only: what a person would do with the plugin's windows. Message boxes are
// recorded and dismissed, dialogs are found, read, driven and photographed.
#pragma once

#include <string>
#include <vector>

namespace xmphost {

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};

// Watches this process's windows from a thread of its own and dismisses every
// message box it sees, after recording it.
void startMessageBoxWatch();
std::vector<MessageBoxSeen> messageBoxesSeen();

// The top-level window with this caption, waited for up to `milliseconds`; null if
// it did not appear.
void* waitForWindow(const char* caption, int milliseconds);
std::string controlText(void* dialog, int id);
// Writes the window as it shows on the screen to a 24-bit BMP file. False when the
// picture could not be taken or is a single colour (nothing drawn).
bool captureWindow(void* window, const std::string& bmpPath);

} // namespace xmphost
