// Mutex on an unnamed Win32 mutex object, as the plugin's host expects of a
// Windows plugin.
#include "platform/mutex.h"

#include <windows.h>

namespace varno {

struct Mutex::Impl {
    HANDLE handle;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {
    impl_->handle = CreateMutexA(nullptr, FALSE, nullptr);
}

Mutex::~Mutex() {
    if (impl_->handle) CloseHandle(impl_->handle);
}

void Mutex::lock() { WaitForSingleObject(impl_->handle, INFINITE); }

void Mutex::unlock() { ReleaseMutex(impl_->handle); }

} // namespace varno
