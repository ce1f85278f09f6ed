// Objects that repeat one already kept: lists from several sources, or of neighbouring
// regions, name the same camera more than once, a few metres apart.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "records.h"
#include "table_memory.h"

// An object of the same type as one kept before it, at most this far from it, is a repeat.
constexpr double kRepeatMetres = 10;

// Remembers where the objects it has kept lie, by type, and leaves out the repeats of them.
// Records are looked at in the order they come, so the first of a repeated camera stays.
// Objects outside the earth's coordinates are never repeats.
class RepeatFilter {
  public:
    RepeatFilter();
    ~RepeatFilter();
    RepeatFilter(const RepeatFilter&) = delete;
    RepeatFilter& operator=(const RepeatFilter&) = delete;

    // Room for this many more kept objects, so that a long list does not move its table again
    // and again. Only a guess (from a file's size, which may be huge or sparse): when the room
    // cannot be had, the table grows with the objects that really come.
    void reserve(std::uint64_t more) noexcept;
    // Works out where the objects of a list are to be looked for. It needs no other list, so
    // the threads that parse a file's batches can do it for several at once; the list must
    // then not change before it is handed to remove_repeats. May throw std::bad_alloc.
    void prepare(RecordList& records);
    // Removes the repeats from the list, in place, and remembers the objects it keeps; those
    // of later lists are measured against them too. Returns how many were removed. May throw
    // std::bad_alloc; the list is then unchanged.
    std::uint32_t remove_repeats(RecordList& records);

  private:
    struct Slot;
    struct Place;
    struct Look;
    struct Prepared;
    void look_up_places(const RecordList& records, Prepared& out) const;
    // When not, `free` is the empty slot where the object's own cell's slots end.
    bool is_repeat(const Place& place, const std::vector<Look>& looks, const SpeedcamRecord& record,
                   std::size_t& free) const;
    void keep(const Place& place, std::size_t free);
    void make_room(std::uint64_t more);
    void grow(std::uint64_t objects);
    static std::uint32_t home_of(std::uint64_t cell, std::int32_t type, std::size_t capacity);

    TableMemory memory_;
    Slot* slots_ = nullptr;
    // Slots, a whole number of cache lines. It changes only between lists, but the threads
    // that prepare lists read it meanwhile.
    std::atomic<std::size_t> capacity_ = 0;
    std::size_t used_ = 0;
    std::mutex mutex_;  // over the two below
    std::vector<std::pair<const RecordList*, std::unique_ptr<Prepared>>> prepared_;
    std::vector<std::unique_ptr<Prepared>> spare_;  // kept for their room
    std::vector<std::uint8_t> drop_;
};
