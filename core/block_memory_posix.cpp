#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#include "block_memory.h"

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

// Blocks of at least half a large page are mapped, rounded up to whole large pages.
std::size_t mapped_size(std::size_t bytes) {
    if (bytes < kLargePage / 2) return 0;
    return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

}  // namespace

// A large block gets its own aligned mapping with the large-page advice; the kernel then
// fills it 2 MiB at a time instead of 4 KiB. Smaller blocks come from the heap.
void* allocate_block(std::size_t bytes) noexcept {
    if (mapped_size(bytes) == 0) return std::malloc(bytes == 0 ? 1 : bytes);
    bytes = mapped_size(bytes);
    const std::size_t span = bytes + kLargePage;
    void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kLargePage - 1) & ~(kLargePage - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    const std::uintptr_t tail = aligned + bytes;
    if (start + span > tail) munmap(reinterpret_cast<void*>(tail), start + span - tail);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

void free_block(void* block, std::size_t bytes) noexcept {
    if (mapped_size(bytes) == 0)
        std::free(block);
    else
        munmap(block, mapped_size(bytes));
}
