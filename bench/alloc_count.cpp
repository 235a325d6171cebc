// Counts heap allocations and frees while `alloc_count::counting` is set, by standing
// in for the C library's allocator in this binary (SDL and the C++ library
// call these too) and handing every call on to glibc's own.
#include "alloc_count.h"

#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace alloc_count {
bool counting = false;
unsigned long calls = 0;
unsigned long frees = 0;
}  // namespace alloc_count

namespace {
inline void count()
{
    if (alloc_count::counting) {
        ++alloc_count::calls;
    }
}
}  // namespace

extern "C" {

void* malloc(std::size_t size) noexcept
{
    count();
    return __libc_malloc(size);
}

void* calloc(std::size_t count_, std::size_t size) noexcept
{
    count();
    return __libc_calloc(count_, size);
}

void* realloc(void* block, std::size_t size) noexcept
{
    count();
    return __libc_realloc(block, size);
}

void free(void* block) noexcept
{
    if (alloc_count::counting && block != nullptr) {
        ++alloc_count::frees;
    }
    __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept
{
    count();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept
{
    count();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) noexcept
{
    count();
    *result = __libc_memalign(alignment, size);
    return *result == nullptr ? 12 /* ENOMEM */ : 0;
}

}  // extern "C"
