// Built into the programs users get with the GNU toolchain only (cmake/Windows.cmake adds it): the
// services of the run time that its POSIX thread layer would otherwise bring, done with the system's own.
//
// - Thread-local variables. The GNU compiler for Windows keeps each in a block per thread that it asks
//   for through __emutls_get_address (the C++ library's exception state is one). The run time's version
//   sits on a POSIX thread layer of some 25 KB; this one keeps a thread's blocks in a thread-local slot
//   of the system, and the program's thread callback frees them when the thread ends, as the run
//   time's key destructor does. The callback of a fiber-local slot would do the same, but one was seen
//   to be called at an address it was never given under 32-bit Wine.
// - The guards of function-local statics, and the run-once of the 32-bit unwinder (pthread_once): one
//   lock for all of them, which a thread may take again, so that an initializer may use another
//   function-local static. No initializer here waits for another thread, which a single lock would turn
//   into a deadlock.
// - The locks of the 32-bit unwinder and of the C++ library (pthread_mutex_*): a second such lock.
//
// Failures end the program, as the run time's own versions do.
#include <windows.h>
#if __has_include(<pthread.h>)
#include <pthread.h> // a toolchain on POSIX threads: its unwinder locks through them
#define KV2_POSIX_MUTEXES 1
#endif

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

// The compiler's record of one thread-local variable.
struct ThreadLocalObject
{
    std::uintptr_t size;
    std::uintptr_t align;
    std::uintptr_t index; // 1-based place in every thread's table; 0 before the first use
    const void *initial;  // the first value, or null for zeros
};

SRWLOCK g_indexLock = SRWLOCK_INIT;
std::uintptr_t g_indexCount = 0;
DWORD g_slot = TLS_OUT_OF_INDEXES; // written once, before the first index is published

// A thread's table: its length, then a block per index. Each block keeps the start of its allocation
// in the pointer before it.
void FreeThreadBlocks(void *table) noexcept
{
    auto *const blocks = static_cast<void **>(table);
    if (blocks == nullptr)
        return;
    const auto length = reinterpret_cast<std::uintptr_t>(blocks[0]);
    for (std::uintptr_t i = 1; i <= length; ++i)
        if (blocks[i] != nullptr)
            std::free(static_cast<void **>(blocks[i])[-1]);
    std::free(blocks);
}

void *NewBlock(const ThreadLocalObject &object) noexcept
{
    const std::uintptr_t align = object.align > sizeof(void *) ? object.align : sizeof(void *);
    void *const start = std::malloc(object.size + sizeof(void *) + align - 1);
    if (start == nullptr)
        std::abort();
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(start) + sizeof(void *);
    void **const block = reinterpret_cast<void **>((first + align - 1) & ~(align - 1));
    block[-1] = start;
    if (object.initial != nullptr)
        std::memcpy(block, object.initial, object.size);
    else
        std::memset(block, 0, object.size);
    return block;
}

std::uintptr_t IndexOf(ThreadLocalObject &object) noexcept
{
    std::atomic_ref<std::uintptr_t> published(object.index);
    std::uintptr_t index = published.load(std::memory_order_acquire);
    if (index != 0)
        return index;
    AcquireSRWLockExclusive(&g_indexLock);
    if (g_slot == TLS_OUT_OF_INDEXES)
        g_slot = TlsAlloc();
    if (g_slot == TLS_OUT_OF_INDEXES)
        std::abort();
    index = published.load(std::memory_order_relaxed);
    if (index == 0)
    {
        index = ++g_indexCount;
        published.store(index, std::memory_order_release);
    }
    ReleaseSRWLockExclusive(&g_indexLock);
    return index;
}

// A lock that its holder may take again.
struct RecursiveLock
{
    SRWLOCK lock = SRWLOCK_INIT;
    std::atomic<DWORD> owner{0};
    unsigned depth = 0; // changed by the owner only
};

RecursiveLock g_guardLock;
RecursiveLock g_mutexLock;

void Enter(RecursiveLock &held) noexcept
{
    const DWORD self = GetCurrentThreadId();
    if (held.owner.load(std::memory_order_relaxed) != self)
    {
        AcquireSRWLockExclusive(&held.lock);
        held.owner.store(self, std::memory_order_relaxed);
    }
    ++held.depth;
}

void Leave(RecursiveLock &held) noexcept
{
    if (--held.depth == 0)
    {
        held.owner.store(0, std::memory_order_relaxed);
        ReleaseSRWLockExclusive(&held.lock);
    }
}

void EnterGuard() noexcept
{
    Enter(g_guardLock);
}

void LeaveGuard() noexcept
{
    Leave(g_guardLock);
}

// The first byte of a guard says that its static is made; the compiler's code reads it before it calls.
std::atomic_ref<unsigned char> Made(long long *guard) noexcept
{
    return std::atomic_ref<unsigned char>(*reinterpret_cast<unsigned char *>(guard));
}

} // namespace

extern "C"
{
    void *__emutls_get_address(void *object) noexcept;
    int __cxa_guard_acquire(long long *guard);
    void __cxa_guard_release(long long *guard);
    void __cxa_guard_abort(long long *guard);
    int pthread_once(long *once, void (*initialize)());

    void *__emutls_get_address(void *object) noexcept
    {
        ThreadLocalObject &variable = *static_cast<ThreadLocalObject *>(object);
        const std::uintptr_t index = IndexOf(variable);
        const DWORD lastError = GetLastError(); // kept for the caller, whose error may be read after
        auto *blocks = static_cast<void **>(TlsGetValue(g_slot));
        const std::uintptr_t length = blocks != nullptr ? reinterpret_cast<std::uintptr_t>(blocks[0]) : 0;
        if (index > length)
        {
            const std::uintptr_t grown = index + 16;
            auto *const larger = static_cast<void **>(std::realloc(blocks, (grown + 1) * sizeof(void *)));
            if (larger == nullptr)
                std::abort();
            std::memset(larger + length + 1, 0, (grown - length) * sizeof(void *));
            larger[0] = reinterpret_cast<void *>(grown);
            if (!TlsSetValue(g_slot, larger))
                std::abort();
            blocks = larger;
        }
        if (blocks[index] == nullptr)
            blocks[index] = NewBlock(variable);
        SetLastError(lastError);
        return blocks[index];
    }

    int __cxa_guard_acquire(long long *guard)
    {
        if (Made(guard).load(std::memory_order_acquire) != 0)
            return 0;
        EnterGuard();
        if (Made(guard).load(std::memory_order_relaxed) == 0)
            return 1;
        LeaveGuard();
        return 0;
    }

    void __cxa_guard_release(long long *guard)
    {
        Made(guard).store(1, std::memory_order_release);
        LeaveGuard();
    }

    // The initializer threw: the next call tries again.
    void __cxa_guard_abort(long long *)
    {
        LeaveGuard();
    }

    int pthread_once(long *once, void (*initialize)())
    {
        std::atomic_ref<long> done(*once);
        if (done.load(std::memory_order_acquire) != 0)
            return 0;
        EnterGuard();
        if (done.load(std::memory_order_relaxed) == 0)
        {
            initialize();
            done.store(1, std::memory_order_release);
        }
        LeaveGuard();
        return 0;
    }

#ifdef KV2_POSIX_MUTEXES
    // The 32-bit unwinder's lock over its table of frames and the C++ library's locks of shared
    // pointers: one lock for all of them (none is held while another thread is waited for).
    int pthread_mutex_init(pthread_mutex_t *, const pthread_mutexattr_t *)
    {
        return 0;
    }

    int pthread_mutex_destroy(pthread_mutex_t *)
    {
        return 0;
    }

    int pthread_mutex_lock(pthread_mutex_t *)
    {
        Enter(g_mutexLock);
        return 0;
    }

    int pthread_mutex_unlock(pthread_mutex_t *)
    {
        Leave(g_mutexLock);
        return 0;
    }
#endif
}

namespace
{

// Called by the loader for every thread that ends: its blocks are freed. (Placed where the run time
// collects the program's thread callbacks.)
void NTAPI OnThreadEvent(void *, DWORD reason, void *) noexcept
{
    if (reason != DLL_THREAD_DETACH || g_slot == TLS_OUT_OF_INDEXES)
        return;
    FreeThreadBlocks(TlsGetValue(g_slot));
    TlsSetValue(g_slot, nullptr);
}

} // namespace

extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK kv2_thread_callback =
    OnThreadEvent;
