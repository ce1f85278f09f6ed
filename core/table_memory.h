// Zero-filled memory for a large table that is reached at random, such as the places of the
// kept objects when repeats are left out.
#pragma once

#include <cstddef>
#include <memory>

struct TableMemoryFree {
    std::size_t bytes;
    void operator()(void* memory) const noexcept;
};
using TableMemory = std::unique_ptr<void, TableMemoryFree>;

// Null when the memory cannot be had. Where the system offers it the memory comes in large
// pages: each small page costs a fault when it is first touched and a walk of the page
// tables whenever it is reached, and a table reached at random touches every one of them.
TableMemory table_memory(std::size_t bytes);
