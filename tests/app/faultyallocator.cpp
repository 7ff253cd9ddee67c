// An allocator for the fault-guard tests, loaded with LD_PRELOAD in front of the
// C library's: malloc, calloc, realloc and free take one (non-recursive) lock
// around the C library's own functions. Once armed, the next allocation faults
// while holding that lock, so that anything that allocates afterwards on the
// way to a report (throwing an exception, for one) waits on the lock forever.
//
//   faultyAllocatorArm(1): the allocation writes through a null pointer;
//   faultyAllocatorArm(2): the allocation runs out of stack.

#include <pthread.h>

#include <cstddef>

extern "C" {

void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);

namespace
{
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
volatile int g_armed = 0;
int* volatile g_nowhere = nullptr;

volatile int g_levels = 1 << 30; // more than any stack holds

__attribute__((noinline)) int exhaustStack(int level)
{
    volatile char frame[4096];
    frame[0] = char(level);
    if (level >= g_levels)
        return frame[0];
    return exhaustStack(level + 1) + frame[0];
}

/// Runs with the lock held.
void misbehaveWhenArmed()
{
    const int mode = g_armed;
    if (mode == 0)
        return;
    g_armed = 0;
    if (mode == 1)
        *g_nowhere = 1;
    else
        exhaustStack(0);
}
} // namespace

__attribute__((visibility("default"))) void faultyAllocatorArm(int mode)
{
    g_armed = mode;
}

__attribute__((visibility("default"))) void* malloc(std::size_t size)
{
    pthread_mutex_lock(&g_lock);
    misbehaveWhenArmed();
    void* result = __libc_malloc(size);
    pthread_mutex_unlock(&g_lock);
    return result;
}

__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size)
{
    pthread_mutex_lock(&g_lock);
    misbehaveWhenArmed();
    void* result = __libc_calloc(count, size);
    pthread_mutex_unlock(&g_lock);
    return result;
}

__attribute__((visibility("default"))) void* realloc(void* pointer, std::size_t size)
{
    pthread_mutex_lock(&g_lock);
    misbehaveWhenArmed();
    void* result = __libc_realloc(pointer, size);
    pthread_mutex_unlock(&g_lock);
    return result;
}

__attribute__((visibility("default"))) void free(void* pointer)
{
    pthread_mutex_lock(&g_lock);
    __libc_free(pointer);
    pthread_mutex_unlock(&g_lock);
}

} // extern "C"
