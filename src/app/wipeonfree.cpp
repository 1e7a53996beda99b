#include "app/wipeonfree.h"

// glibc lets a program replace malloc by defining malloc, free, calloc and
// realloc itself; its own entry points stay reachable as __libc_*. The
// other allocation functions keep glibc's, whose blocks free() takes too.
// Built only where VELLAMAR_WIPE_ON_FREE is defined: not under the
// sanitizers, which replace malloc themselves.
#ifdef VELLAMAR_WIPE_ON_FREE

#include <cstddef>
#include <cstring>
#include <malloc.h>
#include <string.h>

extern "C" {
void* __libc_malloc(size_t size) noexcept;
void* __libc_calloc(size_t count, size_t size) noexcept;
void __libc_free(void* block) noexcept;

void* malloc(size_t size) noexcept
{
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) noexcept
{
    return __libc_calloc(count, size);
}

void free(void* block) noexcept
{
    if (!block)
        return;
    explicit_bzero(block, malloc_usable_size(block));
    __libc_free(block);
}

void* realloc(void* block, size_t size) noexcept
{
    if (!block)
        return __libc_malloc(size);
    if (size == 0) {
        free(block);
        return nullptr;
    }
    const size_t usable = malloc_usable_size(block);
    // A block that shrinks or still fits stays where it is (what lies
    // beyond the new size is zeroed when it is freed); one that grows moves
    // by hand, so the old place is zeroed too.
    if (size <= usable)
        return block;
    void* moved = __libc_malloc(size);
    if (!moved)
        return nullptr;
    std::memcpy(moved, block, usable);
    free(block);
    return moved;
}
}

namespace WipeOnFree {
bool active()
{
    return true;
}
} // namespace WipeOnFree

#else

namespace WipeOnFree {
bool active()
{
    return false;
}
} // namespace WipeOnFree

#endif
