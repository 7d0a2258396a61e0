// Mutex for platforms without Win32 mutex objects.
#include "platform/mutex.h"

#include <mutex>

namespace varno {

struct Mutex::Impl {
    std::mutex m;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::lock() { impl_->m.lock(); }
void Mutex::unlock() { impl_->m.unlock(); }

} // namespace varno
