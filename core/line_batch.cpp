#include "line_batch.h"

#include <bit>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "parser.h"

namespace {

// The first CR or LF in [p, end), or end.
const char* find_line_end(const char* p, const char* end) {
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')),
                                          _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
        if (mask != 0) return p + std::countr_zero(mask);
    }
#endif
    while (p < end && *p != '\n' && *p != '\r') ++p;
    return p;
}

}  // namespace

void parse_line_batch(RecordList& records, std::string_view bytes, const LineRules& rules,
                      TextEncoding encoding, std::wstring& scratch) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* line_end = find_line_end(p, end);
        // The empty pieces between CR and LF are never objects.
        if (line_end > p)
            parse_speedcam_bytes(records,
                                 std::string_view(p, static_cast<std::size_t>(line_end - p)), rules,
                                 encoding, scratch);
        p = line_end + 1;
    }
}

struct BatchPool::Slot {
    bool done = false;  // a worker has parsed the input
    std::string input;
    RecordList parsed;
    std::wstring scratch;
    bool failed = false;
};

BatchPool::BatchPool(const RecordBatchSink& take, const RecordBatchPrepare& prepare,
                     const LineRules& rules, TextEncoding encoding, unsigned workers)
    : take_(take), prepare_(prepare), rules_(rules), encoding_(encoding) {
    // Two batches a worker: one being parsed, one waiting.
    for (unsigned i = 0; i < 2 * workers; ++i) slots_.push_back(std::make_unique<Slot>());
    try {
        for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { work(); });
    } catch (...) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        queued_cv_.notify_all();
        for (std::thread& t : threads_) t.join();
        throw;
    }
}

BatchPool::~BatchPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_cv_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void BatchPool::work() {
    for (;;) {
        Slot* slot;
        {
            std::unique_lock lock(mutex_);
            queued_cv_.wait(lock, [this] { return stopping_ || taken_ < added_; });
            if (stopping_) return;
            slot = slots_[taken_++ % slots_.size()].get();
        }
        try {
            parse_line_batch(slot->parsed, slot->input, rules_, encoding_, slot->scratch);
            // Counted while the records are still in this core's cache.
            slot->parsed.type_tally();
            if (prepare_) prepare_(slot->parsed);
        } catch (...) {
            slot->failed = true;
        }
        {
            std::lock_guard lock(mutex_);
            slot->done = true;
        }
        finished_cv_.notify_all();
    }
}

void BatchPool::append_next() {
    Slot& slot = *slots_[appended_ % slots_.size()];
    {
        std::unique_lock lock(mutex_);
        finished_cv_.wait(lock, [&] { return slot.done; });
    }
    failed_ = failed_ || slot.failed || !take_(slot.parsed);
    slot.parsed.recycle();
    slot.failed = false;
    ++appended_;
}

void BatchPool::add(std::string_view batch) {
    // The slot of this batch held the batch added one round of slots ago.
    while (added_ - appended_ >= slots_.size()) append_next();
    Slot& slot = *slots_[added_ % slots_.size()];
    slot.input.assign(batch);
    {
        std::lock_guard lock(mutex_);
        slot.done = false;
        ++added_;
    }
    queued_cv_.notify_one();
}

bool BatchPool::finish() {
    while (appended_ < added_) append_next();
    return !failed_;
}
