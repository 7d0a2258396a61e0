#include "threads.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

namespace xmphost {

#ifdef _WIN32
namespace {
DWORD WINAPI runBody(void* body) {
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}
} // namespace

struct Thread::Impl {
    std::function<void()> body;
    HANDLE handle = nullptr;
};

Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
    impl_->body = std::move(body);
    impl_->handle = CreateThread(nullptr, 0, runBody, &impl_->body, 0, nullptr);
}

Thread::~Thread() {
    if (!impl_->handle) return;
    WaitForSingleObject(impl_->handle, INFINITE);
    CloseHandle(impl_->handle);
}

void startDetached(std::function<void()> body) {
    auto* kept = new std::function<void()>(std::move(body)); // lives as long as the process
    HANDLE handle = CreateThread(nullptr, 0, runBody, kept, 0, nullptr);
    if (handle) CloseHandle(handle);
}

void sleepMilliseconds(int milliseconds) { Sleep(DWORD(milliseconds)); }
#else
struct Thread::Impl {
    std::thread thread;
};

Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) { impl_->thread = std::thread(std::move(body)); }

Thread::~Thread() { impl_->thread.join(); }

void startDetached(std::function<void()> body) { std::thread(std::move(body)).detach(); }

void sleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
#endif

} // namespace xmphost
