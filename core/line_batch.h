// Parsing of whole lines of UTF-8 or ANSI bytes, on this thread or on worker threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app_state.h"

// Cuts the bytes at every line end (LF, CR LF or a lone CR) and parses each line into the
// record list. `scratch` is room for decoding, kept from batch to batch.
void parse_line_batch(AppState& state, std::string_view bytes, InputFormat format,
                      TextEncoding encoding, std::wstring& scratch);

// Parses batches of whole lines on worker threads and appends their records to the list in
// the order the batches came in, so the list is the same as when parsed one after the other.
// A large file's time goes almost all into parsing, which this spreads over the cores.
class BatchPool {
  public:
    // Throws std::system_error when a thread cannot be started.
    BatchPool(AppState& state, InputFormat format, TextEncoding encoding, unsigned workers);
    ~BatchPool();
    BatchPool(const BatchPool&) = delete;
    BatchPool& operator=(const BatchPool&) = delete;

    // Copies the batch for a worker; appends finished batches while it waits for room.
    void add(std::string_view batch);
    // Appends all batches; false when a worker ran out of memory.
    bool finish();

  private:
    struct Slot;
    void work();
    void provide_blocks(std::size_t parsed);
    void append_next();

    AppState& state_;
    InputFormat format_;
    TextEncoding encoding_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::mutex mutex_;
    std::condition_variable queued_cv_;    // a batch was added, or the pool stops
    std::condition_variable finished_cv_;  // a worker finished a batch
    std::uint64_t added_ = 0;              // batches handed in
    std::uint64_t taken_ = 0;              // batches a worker has started
    std::uint64_t appended_ = 0;           // batches whose records are in the list
    bool stopping_ = false;
    bool failed_ = false;
    // Record blocks that the workers prepare for the list, so that the list's memory is made
    // ready on their threads and not on this one.
    std::vector<Block<SpeedcamRecord>> spares_;
    std::size_t records_parsed_ = 0;
    std::size_t blocks_provided_ = 0;
    std::vector<std::thread> threads_;
};
