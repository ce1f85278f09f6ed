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

#include "parser.h"
#include "reader.h"

// Cuts the bytes at every line end (LF, CR LF or a lone CR) and parses each line into the
// record list. `scratch` is room for decoding, kept from batch to batch.
void parse_line_batch(RecordList& records, std::string_view bytes, const LineRules& rules,
                      TextEncoding encoding, std::wstring& scratch);

// Parses batches of whole lines on worker threads and hands their records to the sink in
// the order the batches came in, as if they were parsed one after the other. Each batch is
// parsed into memory of its own, which a record list can take over without a copy: most of a
// large file's time goes into parsing and into the first touch of fresh memory, and both are
// then spread over the cores.
class BatchPool {
  public:
    // Throws std::system_error when a thread cannot be started.
    BatchPool(const RecordBatchSink& take, const RecordBatchPrepare& prepare,
              const LineRules& rules, TextEncoding encoding, unsigned workers);
    ~BatchPool();
    BatchPool(const BatchPool&) = delete;
    BatchPool& operator=(const BatchPool&) = delete;

    // Copies the batch for a worker; hands on finished batches while it waits for room.
    void add(std::string_view batch);
    // Hands on all batches; false when memory ran out or the sink refused one.
    bool finish();

  private:
    struct Slot;
    void work();
    void append_next();

    const RecordBatchSink& take_;
    const RecordBatchPrepare& prepare_;
    LineRules rules_;
    TextEncoding encoding_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::mutex mutex_;
    std::condition_variable queued_cv_;    // a batch was added, or the pool stops
    std::condition_variable finished_cv_;  // a worker finished a batch
    std::uint64_t added_ = 0;              // batches handed in
    std::uint64_t taken_ = 0;              // batches a worker has started
    std::uint64_t appended_ = 0;           // batches handed to the sink
    bool stopping_ = false;
    bool failed_ = false;
    std::vector<std::thread> threads_;
};
