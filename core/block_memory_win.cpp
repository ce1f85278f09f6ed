#include <cstdlib>

#include "block_memory.h"

// Large pages need a privilege that a desktop user does not hold, so blocks are plain heap.
void* allocate_block(std::size_t bytes) noexcept {
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void free_block(void* block, std::size_t) noexcept {
    std::free(block);
}
