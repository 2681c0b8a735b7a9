#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ALLOCATION_COUNTER_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ALLOCATION_COUNTER_SANITIZED 1
#endif
#endif

#if !defined(ALLOCATION_COUNTER_SANITIZED) && defined(__GLIBC__)
#define ALLOCATION_COUNTER_REPLACES_MALLOC 1
// glibc's own entry points, so the replacements can forward without recursion.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void* __libc_memalign(std::size_t, std::size_t);
extern "C" void __libc_free(void*);
#endif

namespace
{
std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};

void Count()
{
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}

// Where malloc is replaced too, operator new takes memory from glibc directly so that one
// allocation is counted once, whichever family it came through.
void* RawAllocate(std::size_t size)
{
#ifdef ALLOCATION_COUNTER_REPLACES_MALLOC
    return __libc_malloc(size);
#else
    return std::malloc(size);
#endif
}

void* RawAllocateAligned(std::size_t alignment, std::size_t size)
{
#ifdef ALLOCATION_COUNTER_REPLACES_MALLOC
    return __libc_memalign(alignment, size);
#else
    return std::aligned_alloc(alignment, size);
#endif
}

void* AllocateOrNull(std::size_t size) noexcept
{
    Count();
    return RawAllocate(size ? size : 1);
}

void* AllocateOrThrow(std::size_t size)
{
    if (void* p = AllocateOrNull(size)) return p;
    throw std::bad_alloc();
}

void* AllocateAlignedOrThrow(std::size_t size, std::align_val_t alignment)
{
    Count();
    const auto align = static_cast<std::size_t>(alignment);
    if (void* p = RawAllocateAligned(align, (size + align - 1) / align * align)) return p;
    throw std::bad_alloc();
}
} // namespace

namespace allocation_counter
{
void Start()
{
    allocations.store(0);
    counting.store(true);
}

std::size_t Stop()
{
    counting.store(false);
    return allocations.load();
}

bool CountsMalloc()
{
#ifdef ALLOCATION_COUNTER_REPLACES_MALLOC
    return true;
#else
    return false;
#endif
}
} // namespace allocation_counter

void* operator new(std::size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return AllocateAlignedOrThrow(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return AllocateAlignedOrThrow(size, alignment);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}

#ifdef ALLOCATION_COUNTER_REPLACES_MALLOC
extern "C" void* malloc(std::size_t size)
{
    Count();
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size)
{
    Count();
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, std::size_t size)
{
    Count();
    return __libc_realloc(p, size);
}
extern "C" void* memalign(std::size_t alignment, std::size_t size)
{
    Count();
    return __libc_memalign(alignment, size);
}
extern "C" void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    Count();
    return __libc_memalign(alignment, size);
}
extern "C" int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    Count();
    void* p = __libc_memalign(alignment, size);
    if (!p) return 12; // ENOMEM
    *out = p;
    return 0;
}
extern "C" void free(void* p)
{
    __libc_free(p);
}
#endif
