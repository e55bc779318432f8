#include "AllocationCounter.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
 #define QUORVANE_NO_MALLOC_HOOK 1
#elif defined(__has_feature)
 #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  #define QUORVANE_NO_MALLOC_HOOK 1
 #endif
#endif

#ifndef QUORVANE_NO_MALLOC_HOOK

#include <cstddef>
#include <malloc.h>

extern "C"
{
void* __libc_malloc (size_t);
void* __libc_calloc (size_t, size_t);
void* __libc_realloc (void*, size_t);
void* __libc_memalign (size_t, size_t);
void __libc_free (void*);
}

namespace
{
thread_local bool counting = false;
thread_local long allocations = 0;

inline void note()
{
    if (counting)
        ++allocations;
}
} // namespace

extern "C"
{
void* malloc (size_t size)
{
    note();
    return __libc_malloc (size);
}

void* calloc (size_t n, size_t size)
{
    note();
    return __libc_calloc (n, size);
}

void* realloc (void* p, size_t size)
{
    note();
    return __libc_realloc (p, size);
}

void* memalign (size_t alignment, size_t size)
{
    note();
    return __libc_memalign (alignment, size);
}

void* aligned_alloc (size_t alignment, size_t size)
{
    note();
    return __libc_memalign (alignment, size);
}

int posix_memalign (void** result, size_t alignment, size_t size)
{
    note();
    *result = __libc_memalign (alignment, size);
    return *result != nullptr ? 0 : 12;
}

void free (void* p)
{
    __libc_free (p);
}
}

namespace AllocationCounter
{
bool isAvailable() { return true; }

void start()
{
    allocations = 0;
    counting = true;
}

long stop()
{
    counting = false;
    return allocations;
}
} // namespace AllocationCounter

#else

namespace AllocationCounter
{
bool isAvailable() { return false; }
void start() {}
long stop() { return 0; }
} // namespace AllocationCounter

#endif
