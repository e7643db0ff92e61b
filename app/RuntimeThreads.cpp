// The POSIX thread functions that MinGW's C++ runtime (posix thread model)
// calls for its exception handling, on the system's own primitives: the
// per-thread exception state lives in emulated thread-local storage (a key, a
// once flag and a mutex), and the emergency exception pool has a mutex. The
// runtime would otherwise link them from winpthread, statically, since its DLL
// is no system DLL, and with them winpthread's thread, condition variable and
// read-write lock code (about 25 KiB).
//
// These are objects of the executable, so the linker has them before it
// searches the library. Should the runtime ever call a pthread function that
// is not here, the library's member comes in with its own copies of these,
// and the duplicate definitions fail the link instead of mixing silently.
#include <windows.h>

#include <pthread.h>

#include <cerrno>

namespace {

// Per-key destructors, run by the system when a thread ends: a fiber-local
// slot's callback gets only the value, so each key has a callback of its own.
// The runtime creates one key; a few more are room to spare.
constexpr unsigned keyCount = 4;
DWORD keySlots[keyCount];
void (*keyDestructors[keyCount])(void*);
LONG keysCreated = 0;

template <unsigned key>
void WINAPI destroyKeyValue(void* value) {
    if (value && keyDestructors[key])
        keyDestructors[key](value);
}

constexpr PFLS_CALLBACK_FUNCTION keyCallbacks[keyCount] = {destroyKeyValue<0>, destroyKeyValue<1>,
                                                           destroyKeyValue<2>, destroyKeyValue<3>};

// A mutex is the runtime's pointer-sized integer itself: 0 (or the static
// initialiser's -1) free, 1 held. The runtime holds these only briefly and
// almost never contends for them, so a waiter just yields its time slice.
constexpr pthread_mutex_t mutexHeld = 1;

} // namespace

extern "C" {

int pthread_once(pthread_once_t* once, void (*function)(void)) {
    // 0 not run yet, 1 running in some thread, 2 done.
    if (InterlockedCompareExchange(once, 1, 0) == 0) {
        function();
        InterlockedExchange(once, 2);
        return 0;
    }
    while (InterlockedCompareExchange(once, 2, 2) != 2)
        SwitchToThread();
    return 0;
}

int pthread_key_create(pthread_key_t* key, void (*destructor)(void*)) {
    const LONG index = InterlockedIncrement(&keysCreated) - 1;
    if (index >= static_cast<LONG>(keyCount))
        return EAGAIN;
    keyDestructors[index] = destructor;
    const DWORD slot = FlsAlloc(keyCallbacks[index]);
    if (slot == FLS_OUT_OF_INDEXES)
        return EAGAIN;
    keySlots[index] = slot;
    *key = static_cast<pthread_key_t>(index);
    return 0;
}

void* pthread_getspecific(pthread_key_t key) {
    return key < keyCount ? FlsGetValue(keySlots[key]) : nullptr;
}

int pthread_setspecific(pthread_key_t key, const void* value) {
    if (key >= keyCount || !FlsSetValue(keySlots[key], const_cast<void*>(value)))
        return EINVAL;
    return 0;
}

// The runtime asks only for default (non-recursive) mutexes, without attributes.
int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
    *mutex = 0;
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t*) {
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    for (;;) {
        const pthread_mutex_t seen = InterlockedCompareExchange64(mutex, mutexHeld, 0);
        if (seen == 0)
            return 0;
        if (seen == PTHREAD_MUTEX_INITIALIZER &&
            InterlockedCompareExchange64(mutex, mutexHeld, PTHREAD_MUTEX_INITIALIZER) ==
                PTHREAD_MUTEX_INITIALIZER)
            return 0;
        SwitchToThread();
    }
}

int pthread_mutex_unlock(pthread_mutex_t* mutex) {
    InterlockedExchange64(mutex, 0);
    return 0;
}

} // extern "C"
