#include "RealtimeMonitor.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
 #define QUORVANE_NO_INTERPOSING 1
#elif defined(__has_feature)
 #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  #define QUORVANE_NO_INTERPOSING 1
 #endif
#endif

#ifndef QUORVANE_NO_INTERPOSING

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C"
{
void* __libc_malloc (size_t);
void* __libc_calloc (size_t, size_t);
void* __libc_realloc (void*, size_t);
void* __libc_memalign (size_t, size_t);
void __libc_free (void*);
int __open64 (const char*, int, ...);
// The C library's own lock, under the name it keeps for old binaries.
int __pthread_mutex_lock (pthread_mutex_t*);
__asm__ (".symver __pthread_mutex_lock,__pthread_mutex_lock@GLIBC_2.2.5");
}

namespace
{
thread_local bool watching = false;
thread_local RealtimeMonitor::Counts counts;

using FopenFunction = FILE* (*) (const char*, const char*);
// Resolved before any test runs, so the lookup never happens inside a hook.
const FopenFunction realFopen = reinterpret_cast<FopenFunction> (dlsym (RTLD_NEXT, "fopen"));

inline void allocated()
{
    if (watching)
        ++counts.allocations;
}

inline void opened()
{
    if (watching)
        ++counts.fileOpens;
}

mode_t modeArgument (int flags, va_list args)
{
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? (mode_t) va_arg (args, int) : 0;
}
} // namespace

extern "C"
{
void* malloc (size_t size)
{
    allocated();
    return __libc_malloc (size);
}

void* calloc (size_t n, size_t size)
{
    allocated();
    return __libc_calloc (n, size);
}

void* realloc (void* p, size_t size)
{
    allocated();
    return __libc_realloc (p, size);
}

void* memalign (size_t alignment, size_t size)
{
    allocated();
    return __libc_memalign (alignment, size);
}

void* aligned_alloc (size_t alignment, size_t size)
{
    allocated();
    return __libc_memalign (alignment, size);
}

int posix_memalign (void** result, size_t alignment, size_t size)
{
    allocated();
    *result = __libc_memalign (alignment, size);
    return *result != nullptr ? 0 : 12;
}

void free (void* p)
{
    __libc_free (p);
}

int open (const char* path, int flags, ...)
{
    va_list args;
    va_start (args, flags);
    const mode_t mode = modeArgument (flags, args);
    va_end (args);
    opened();
    return __open64 (path, flags, mode);
}

// The large-file names are the same calls.
int open64 (const char* path, int flags, ...) __attribute__ ((alias ("open")));

int openat (int dir, const char* path, int flags, ...)
{
    va_list args;
    va_start (args, flags);
    const mode_t mode = modeArgument (flags, args);
    va_end (args);
    opened();
    return (int) syscall (SYS_openat, dir, path, flags, mode);
}

int openat64 (int dir, const char* path, int flags, ...) __attribute__ ((alias ("openat")));

FILE* fopen (const char* path, const char* mode)
{
    opened();
    return realFopen (path, mode);
}

FILE* fopen64 (const char* path, const char* mode) __attribute__ ((alias ("fopen")));

int pthread_mutex_lock (pthread_mutex_t* mutex)
{
    if (watching && pthread_mutex_trylock (mutex) == 0)
        return 0;
    if (watching)
        ++counts.lockWaits;
    return __pthread_mutex_lock (mutex);
}
}

namespace RealtimeMonitor
{
bool isAvailable() { return true; }

void start()
{
    counts = {};
    watching = true;
}

Counts stop()
{
    watching = false;
    return counts;
}
} // namespace RealtimeMonitor

#else

namespace RealtimeMonitor
{
bool isAvailable() { return false; }
void start() {}
Counts stop() { return {}; }
} // namespace RealtimeMonitor

#endif
