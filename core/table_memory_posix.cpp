#include <sys/mman.h>

#include "table_memory.h"

void TableMemoryFree::operator()(void* memory) const noexcept {
    munmap(memory, bytes);
}

TableMemory table_memory(std::size_t bytes) {
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return TableMemory(nullptr, {bytes});
#ifdef MADV_HUGEPAGE
    madvise(memory, bytes, MADV_HUGEPAGE);  // a hint; small pages work all the same
#endif
    return TableMemory(memory, {bytes});
}
