#include <windows.h>

#include "table_memory.h"

void TableMemoryFree::operator()(void* memory) const noexcept {
    VirtualFree(memory, 0, MEM_RELEASE);
}

// Large pages need a privilege that a user's program does not hold, so the pages are small.
TableMemory table_memory(std::size_t bytes) {
    return TableMemory(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE),
                       {bytes});
}
