// The replaced global operator new and delete of the native test program:
// plain malloc and free, with the one failure a test armed. Every form is
// replaced, so that the sanitizers see matching pairs.
#include "tests/native/alloc_failures.h"

#include <cstdlib>
#include <new>

namespace {

long g_fail_at = 0;
long g_count = 0;
bool g_fired = false;

// Null when this is the armed allocation (or malloc has none).
void* allocate(std::size_t n) noexcept {
    if (g_fail_at != 0 && ++g_count == g_fail_at) {
        g_fired = true;
        return nullptr;
    }
    return std::malloc(n ? n : 1);
}

void* allocate_or_throw(std::size_t n) {
    void* p = allocate(n);
    if (!p) throw std::bad_alloc();
    return p;
}

}  // namespace

namespace alloc_failures {

void fail_nth(long n) {
    g_fail_at = n;
    g_count = 0;
    g_fired = false;
}

bool fired() { return g_fired; }

}  // namespace alloc_failures

void* operator new(std::size_t n) { return allocate_or_throw(n); }
void* operator new[](std::size_t n) { return allocate_or_throw(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
