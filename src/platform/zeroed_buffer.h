// Large buffers that read as zero from the start. They come from calloc, which
// takes fresh pages from the system without writing them, so a buffer sized for
// the worst case costs resident memory only for the part that is ever written
// (`new T[n]()` would write every page).
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace varno {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

template <typename T>
using ZeroedBuffer = std::unique_ptr<T[], FreeDeleter>;

// count zero-valued Ts; throws std::bad_alloc as new would.
template <typename T>
ZeroedBuffer<T> zeroedBuffer(size_t count) {
    static_assert(std::is_trivial_v<T>, "calloc'ed memory holds only trivial values");
    void* p = std::calloc(count ? count : 1, sizeof(T));
    if (!p) throw std::bad_alloc();
    return ZeroedBuffer<T>(static_cast<T*>(p));
}

} // namespace varno
