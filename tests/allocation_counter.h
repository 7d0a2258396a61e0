// Counting allocations: a replacement of the global allocation functions that
// counts every `new` while `counting` is set. Included by exactly one file of a
// test program, since it defines the program's operator new and delete.
#pragma once

#include <cstdlib>
#include <new>

namespace varno::test {
inline bool counting = false;
inline int allocations = 0;
} // namespace varno::test

// GCC pairs `new T` with the built-in allocator and, once inlined, warns about the
// free() below, although new and delete are replaced together here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (varno::test::counting) ++varno::test::allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
