// Message boxes are found by class and process; a message box's text is its static
// control 0xFFFF.
#include "windows_ui.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "threads.h"

namespace xmphost {

namespace {

SRWLOCK seenLock = SRWLOCK_INIT;
std::vector<MessageBoxSeen> seen;
const char* const kDialogsUnderTest[] = {"Varno configuration", "About Varno..."};

std::string windowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK dismissMessageBox(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770") return TRUE;
    const std::string caption = windowText(window);
    for (const char* dialog : kDialogsUnderTest)
        if (caption == dialog) return TRUE;
    char text[1024] = {};
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
    AcquireSRWLockExclusive(&seenLock);
    seen.push_back({caption, text});
    ReleaseSRWLockExclusive(&seenLock);
    std::printf("message box \"%s\": \"%s\"\n", caption.c_str(), text);
    std::fflush(stdout);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

} // namespace

void startMessageBoxWatch() {
    startDetached([] {
        for (;;) {
            EnumWindows(dismissMessageBox, 0);
            Sleep(20);
        }
    });
}

std::vector<MessageBoxSeen> messageBoxesSeen() {
    AcquireSRWLockShared(&seenLock);
    std::vector<MessageBoxSeen> copy = seen;
    ReleaseSRWLockShared(&seenLock);
    return copy;
}

void* waitForWindow(const char* caption, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        HWND window = FindWindowA(nullptr, caption);
        if (window && IsWindowVisible(window)) return window;
        Sleep(20);
    }
    return nullptr;
}

std::string controlText(void* dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(static_cast<HWND>(dialog), id, text, sizeof text);
    return text;
}

bool captureWindow(void* window, const std::string& bmpPath) {
    HWND hwnd = static_cast<HWND>(window);
    SetForegroundWindow(hwnd);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    // The X server draws the frame and the controls after the window's own painting.
    Sleep(500);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> pixels(size_t(stride) * height);
    const bool read = GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                                DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied || !read) return false;

    bool drawn = false;
    for (size_t i = 3; i < pixels.size() && !drawn; i += 3)
        drawn = pixels[i] != pixels[0] || pixels[i + 1] != pixels[1] || pixels[i + 2] != pixels[2];

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + DWORD(pixels.size());
    FILE* out = std::fopen(bmpPath.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
    return drawn;
}

} // namespace xmphost
