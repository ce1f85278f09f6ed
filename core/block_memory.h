// Memory for the blocks of the record and type lists.
#pragma once

#include <cstddef>
#include <utility>

// Room for `bytes`, uninitialised, or null when there is none. Where the system offers large
// pages, a large block is placed so that it can have them: a million records otherwise cost
// some 21,000 page faults, which is most of the time a large file takes to read.
void* allocate_block(std::size_t bytes) noexcept;
void free_block(void* block, std::size_t bytes) noexcept;

// Writes to every page of the block, so that the system provides its memory now, on this
// thread, rather than at the first use of each page.
inline void touch_block(void* block, std::size_t bytes) noexcept {
    auto* p = static_cast<volatile char*>(block);
    for (std::size_t i = 0; i < bytes; i += 4096) p[i] = 0;
}

// One block of `T`, owned.
template <typename T>
class Block {
  public:
    explicit Block(std::size_t count) noexcept
        : data_(static_cast<T*>(allocate_block(count * sizeof(T)))),
          bytes_(data_ ? count * sizeof(T) : 0) {}
    Block(Block&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}
    Block& operator=(Block&& other) noexcept {
        if (this != &other) {
            release();
            data_ = std::exchange(other.data_, nullptr);
            bytes_ = std::exchange(other.bytes_, 0);
        }
        return *this;
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ~Block() { release(); }

    T* get() const { return data_; }
    std::size_t count() const { return bytes_ / sizeof(T); }
    T& operator[](std::size_t i) const { return data_[i]; }

  private:
    void release() noexcept {
        if (data_ != nullptr) free_block(data_, bytes_);
        data_ = nullptr;
    }
    T* data_;
    std::size_t bytes_;
};
