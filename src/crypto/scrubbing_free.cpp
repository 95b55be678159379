// Every block the process frees is zeroed first. Secrets pass through far more buffers than the program can wipe
// by name: the text of a line edit grows through a dozen reallocations, Qt's events and undo steps hold copies,
// a model's strings are freed by Qt. Once freed, whatever they held stays in the heap until the block is used
// again, for a core dump or a swap file to find. Linked into both programs (not into a sanitized build, whose
// allocator is its own); glibc lets a program replace free and realloc, and its __libc_ entry points are the real
// ones.
#include <cstring>

#include <malloc.h>

extern "C" {

void* __libc_malloc(size_t size) noexcept;
void __libc_free(void* block) noexcept;

void free(void* block) noexcept
{
    if (!block)
        return;
    ::explicit_bzero(block, ::malloc_usable_size(block));
    __libc_free(block);
}

// glibc's realloc would free a block it moves without zeroing it.
void* realloc(void* block, size_t size) noexcept
{
    if (!block)
        return __libc_malloc(size);
    if (size == 0) {
        free(block);
        return nullptr;
    }
    const size_t usable = ::malloc_usable_size(block);
    if (size <= usable)
        return block;
    void* grown = __libc_malloc(size);
    if (!grown)
        return nullptr;
    std::memcpy(grown, block, usable);
    free(block);
    return grown;
}

} // extern "C"
