// Allocation counting by replacing the C library's allocator entry points.
#include "host/validate/allocation_counter.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZELVIK_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ZELVIK_SANITIZER_ALLOCATOR 1
#endif
#endif

namespace {
// Thread-local and trivially initialised: reading it never allocates.
thread_local bool counting = false;
thread_local long allocations = 0;

inline void noteAllocation() {
    if (counting)
        ++allocations;
}
} // namespace

#ifdef ZELVIK_SANITIZER_ALLOCATOR
// Declared here rather than from <sanitizer/allocator_interface.h>, which GCC does not
// install; both compilers' runtimes provide it.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {
void mallocHook(const volatile void*, size_t) { noteAllocation(); }
void freeHook(const volatile void*) {}
bool hooksInstalled = false;

// The sanitizer owns the allocator; it reports every allocation through its hooks.
void prepareCounting() {
    if (!hooksInstalled) {
        __sanitizer_install_malloc_and_free_hooks(mallocHook, freeHook);
        hooksInstalled = true;
    }
}
} // namespace

#else
// glibc keeps its allocator reachable under these names, which is what lets a program
// define malloc itself and still use the real one.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);

__attribute__((visibility("default"))) void* malloc(size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
__attribute__((visibility("default"))) void* calloc(size_t count, size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
__attribute__((visibility("default"))) void* realloc(void* pointer, size_t size) {
    noteAllocation();
    return __libc_realloc(pointer, size);
}
__attribute__((visibility("default"))) void free(void* pointer) { __libc_free(pointer); }
__attribute__((visibility("default"))) void* memalign(size_t alignment, size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) void* aligned_alloc(size_t alignment, size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) int posix_memalign(void** result, size_t alignment, size_t size) {
    noteAllocation();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return 22; // EINVAL
    void* pointer = __libc_memalign(alignment, size);
    if (!pointer)
        return 12; // ENOMEM
    *result = pointer;
    return 0;
}
}

namespace {
// The replaced entry points above count already.
void prepareCounting() {}
} // namespace
#endif

namespace allocation_counter {
bool available() { return true; }
void start() {
    prepareCounting();
    allocations = 0;
    counting = true;
}
long stop() {
    counting = false;
    return allocations;
}
} // namespace allocation_counter
