// Speedcam objects and camera types, and the two lists that hold them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "block_memory.h"

struct SpeedcamRecord {
    // Only digits, '-' and '.' ever reach the coordinate texts, so they are kept one byte a
    // character: a million objects take 88 MB instead of 152 (276 where wchar_t is 4 bytes).
    char x_text[32];  // longitude as written in the file, at most 31 characters
    char y_text[32];  // latitude as written in the file
    // At most 127 characters. Most objects have a short comment or none, so comments live in
    // the record list's text store rather than in a 128-character field of every record.
    const wchar_t* comment = L"";
    std::int32_t type_id;
    std::int32_t speed_limit;
    std::int32_t column6_value;
};

// Same object: same texts and numbers, wherever the comment is stored.
bool same_record(const SpeedcamRecord& a, const SpeedcamRecord& b);

struct CameraType {
    std::int32_t id;
    wchar_t description[128];     // at most 126 characters are ever stored
    wchar_t message_format[128];  // may hold the placeholder %SPEED%
    std::uint8_t export_enabled;
};

// Owning list with stable element addresses: list rows keep pointers to the entries, so the
// storage grows in blocks and never moves what it holds. Appending is amortised O(1). The
// first block is small, so that a short file or a small table costs little.
template <typename T, std::size_t FirstBlock, std::size_t BlockSize>
requires std::is_trivially_copyable_v<T>
class BlockList {
  public:
    std::uint32_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    T& operator[](std::size_t i) { return blocks_[block_of(i)][offset_of(i)]; }
    const T& operator[](std::size_t i) const { return blocks_[block_of(i)][offset_of(i)]; }

    // Calls f(entries, n) for the entries in order, one run of a block at a time.
    template <typename F>
    void for_each_run(F&& f) const {
        std::size_t left = count_;
        for (std::size_t b = 0; b < blocks_.size() && left > 0; ++b) {
            const std::size_t n = std::min<std::size_t>(left, b == 0 ? FirstBlock : BlockSize);
            f(static_cast<const T*>(blocks_[b].get()), n);
            left -= n;
        }
    }
    // Calls f(entry) for every entry in order.
    template <typename F>
    void for_each(F&& f) const {
        for_each_run([&](const T* entries, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i) f(entries[i]);
        });
    }

    // A zero-filled entry at the end, or null when memory ran out (the list is then unchanged).
    T* append_zeroed() noexcept {
        if (count_ == UINT32_MAX) return nullptr;
        const std::size_t block = block_of(count_);
        if (block == blocks_.size()) {
            try {
                if (block > 0 && !spares_.empty()) {
                    blocks_.push_back(std::move(spares_.back()));
                    spares_.pop_back();
                } else {
                    Block<T> fresh(block == 0 ? FirstBlock : BlockSize);
                    if (fresh.get() == nullptr) return nullptr;
                    blocks_.push_back(std::move(fresh));
                }
            } catch (const std::bad_alloc&) {
                return nullptr;
            }
        }
        T* entry = &blocks_[block][offset_of(count_)];
        // A copy of fixed size compiles to a few stores, where assigning T{} may not.
        static constexpr T kEmpty{};
        std::memcpy(static_cast<void*>(entry), &kEmpty, sizeof(T));
        ++count_;
        return entry;
    }
    // Appends copies of the entries, a run at a time; returns how many found room.
    std::size_t append_copies(const T* entries, std::size_t n) noexcept {
        std::size_t done = 0;
        while (done < n) {
            // Room left in the last block, after taking a new block when it is full.
            T* first = append_zeroed();
            if (first == nullptr) break;
            const std::size_t room =
                (block_of(count_ - 1) == 0 ? FirstBlock : BlockSize) - offset_of(count_ - 1);
            const std::size_t run =
                std::min<std::size_t>({room, n - done, UINT32_MAX - count_ + 1});
            std::memcpy(static_cast<void*>(first), entries + done, run * sizeof(T));
            count_ += static_cast<std::uint32_t>(run - 1);
            done += run;
        }
        return done;
    }

    // Undoes the last append_zeroed (a line that turned out to be rejected).
    void drop_last() noexcept {
        if (count_ > 0) --count_;
    }
    void clear() noexcept {
        blocks_.clear();
        blocks_.shrink_to_fit();
        spares_.clear();
        count_ = 0;
    }
    // Empties the list but keeps its memory for the entries that follow.
    void reuse() noexcept { count_ = 0; }

    static constexpr std::size_t kBlockSize = BlockSize;
    // Blocks of BlockSize entries needed beyond the first block for `count` entries.
    static constexpr std::size_t blocks_beyond_first(std::size_t count) {
        return count <= FirstBlock ? 0 : (count - FirstBlock + BlockSize - 1) / BlockSize;
    }
    // A block of BlockSize entries for later appends, so that another thread can take the
    // cost of its first use.
    void add_spare(Block<T>&& block) { spares_.push_back(std::move(block)); }

  private:
    static std::size_t block_of(std::size_t i) {
        return i < FirstBlock ? 0 : (i - FirstBlock) / BlockSize + 1;
    }
    static std::size_t offset_of(std::size_t i) {
        return i < FirstBlock ? i : (i - FirstBlock) % BlockSize;
    }

    std::vector<Block<T>> blocks_;
    std::vector<Block<T>> spares_;
    std::uint32_t count_ = 0;
};

// Zero-terminated texts in large chunks; a text keeps its address until the store is cleared.
class TextStore {
  public:
    const wchar_t* add(std::wstring_view text) noexcept;
    void clear() noexcept;
    // Forgets every text but keeps the memory for the texts that follow.
    void reuse() noexcept;

  private:
    // A small first chunk, then chunks of a large memory page.
    static constexpr std::size_t kFirstChunk = 16 * 1024;
    static constexpr std::size_t kChunk = (std::size_t{2} << 20) / sizeof(wchar_t);
    std::vector<Block<wchar_t>> chunks_;
    std::size_t current_ = 0;  // the chunk being filled
    std::size_t used_ = 0;     // of the current chunk
    std::size_t size_ = 0;     // of the current chunk
};

// The loaded objects, and the store that holds their comments.
// After a first small block, blocks of 2 MiB, the size of a large memory page.
class RecordList
    : public BlockList<SpeedcamRecord, 64, (std::size_t{2} << 20) / sizeof(SpeedcamRecord)> {
  public:
    // A lasting copy of a comment for a record of this list; "" when memory ran out.
    const wchar_t* keep_comment(std::wstring_view text) noexcept {
        if (text.empty()) return L"";
        const wchar_t* kept = comments_.add(text);
        return kept ? kept : L"";
    }
    void clear() noexcept {
        BlockList::clear();
        comments_.clear();
    }
    void reuse() noexcept {
        BlockList::reuse();
        comments_.reuse();
    }
    // Appends copies of the records of `other`, with copies of their comments. A record that
    // finds no room is dropped.
    void append_all(const RecordList& other) noexcept;

  private:
    TextStore comments_;
};
using CameraTypeList = BlockList<CameraType, 16, 256>;

struct AppState;

void clear_records(AppState& state);
// Copies the record to the end of the list; false when the list cannot grow.
bool append_record(AppState& state, const SpeedcamRecord& record);
void clear_camera_types(AppState& state);
bool append_camera_type(AppState& state, const CameraType& type);
