#include "reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "codepage.h"
#include "file_io.h"
#include "line_batch.h"
#include "parser.h"
#include "repeats.h"

namespace {

inline bool is_line_end(wchar_t u) {
    return u == L'\n' || u == L'\r';
}

// Takes the file a batch of whole lines at a time.
class LineSink {
  public:
    LineSink(const RecordBatchSink& take, const RecordBatchPrepare& prepare)
        : take_(take), prepare_(prepare) {}
    virtual ~LineSink() = default;
    // `last`: no more bytes follow.
    virtual void feed(std::string_view batch, bool last) = 0;
    virtual bool finish() { return ok_; }

  protected:
    // Hands on the records parsed here on this thread.
    void hand_on() {
        try {
            if (ok_ && prepare_) prepare_(parsed_);
        } catch (const std::bad_alloc&) {
            ok_ = false;
        }
        ok_ = ok_ && take_(parsed_);
        parsed_.recycle();
    }
    const RecordBatchSink& take_;
    const RecordBatchPrepare& prepare_;
    RecordList parsed_;
    bool ok_ = true;
};

// UTF-16: each batch is decoded, then cut into lines.
class Utf16Lines : public LineSink {
  public:
    Utf16Lines(const RecordBatchSink& take, const RecordBatchPrepare& prepare,
               const LineRules& rules)
        : LineSink(take, prepare), rules_(rules) {}

    void feed(std::string_view batch, bool) override {
        decode_text(batch, TextEncoding::Utf16, text_);
        std::wstring_view rest(text_);
        if (at_start_ && !rest.empty()) {
            // A byte-order mark is dropped only at the very start of the text.
            if (rest.front() == 0xFEFF) rest.remove_prefix(1);
            at_start_ = false;
        }
        // A line ends at LF, CR LF or a lone CR; the empty pieces between CR and LF are
        // never objects.
        while (!rest.empty()) {
            std::size_t end = 0;
            while (end < rest.size() && !is_line_end(rest[end])) ++end;
            if (end > 0) parse_speedcam_line(parsed_, rest.substr(0, end), rules_);
            rest.remove_prefix(end < rest.size() ? end + 1 : end);
        }
        hand_on();
    }

  private:
    LineRules rules_;
    std::wstring text_;
    bool at_start_ = true;
};

// UTF-8 and ANSI: line ends and columns are ASCII bytes in both, so the lines are cut and
// parsed as bytes. A file of more than one batch is parsed on worker threads.
class ByteLines : public LineSink {
  public:
    ByteLines(const RecordBatchSink& take, const RecordBatchPrepare& prepare,
              const LineRules& rules, TextEncoding encoding, unsigned workers)
        : LineSink(take, prepare), rules_(rules), encoding_(encoding), workers_(workers) {}

    void feed(std::string_view batch, bool last) override {
        if (at_start_ && !batch.empty()) {
            // A byte-order mark is dropped only at the very start of the text; the UTF-8 mark
            // also from a file read as ANSI, where it would be three letters before the
            // first row's index.
            if (batch.starts_with("\xEF\xBB\xBF")) batch.remove_prefix(3);
            at_start_ = false;
        }
        if (!pool_ && !last && workers_ > 1) {
            try {
                pool_ = std::make_unique<BatchPool>(take_, prepare_, rules_, encoding_, workers_);
            } catch (const std::system_error&) {
                workers_ = 1;  // no threads to be had: parse here
            }
        }
        if (pool_) {
            pool_->add(batch);
        } else {
            parse_line_batch(parsed_, batch, rules_, encoding_, scratch_);
            hand_on();
        }
    }
    bool finish() override { return ok_ && (!pool_ || pool_->finish()); }

  private:
    LineRules rules_;
    TextEncoding encoding_;
    unsigned workers_;
    std::unique_ptr<BatchPool> pool_;
    std::wstring scratch_;
    bool at_start_ = true;
};

// The file's bytes, the first of them already taken off the stream.
class Source {
  public:
    Source(std::FILE* file, std::string_view head) : file_(file), head_(head) {}
    // Up to n bytes; fewer only at the end of the file or on a read error.
    std::size_t read(char* out, std::size_t n) {
        const std::size_t from_head = std::min(n, head_.size());
        std::memcpy(out, head_.data(), from_head);
        head_.remove_prefix(from_head);
        return from_head +
               (from_head < n ? std::fread(out + from_head, 1, n - from_head, file_) : 0);
    }
    bool failed() const { return std::ferror(file_) != 0; }

  private:
    std::FILE* file_;
    std::string_view head_;
};

// Byte offset just past the last line end in [0, n), or 0 when there is none. `unit` is 2
// for UTF-16, where a line end is a whole little-endian unit.
std::size_t after_last_line_end(const char* p, std::size_t n, std::size_t unit) {
    for (std::size_t i = n - n % unit; i >= unit; i -= unit)
        if ((p[i - unit] == '\n' || p[i - unit] == '\r') && (unit == 1 || p[i - 1] == 0)) return i;
    return 0;
}

// Byte offset of the first line end in [0, n), or n when there is none.
std::size_t first_line_end(const char* p, std::size_t n, std::size_t unit) {
    for (std::size_t i = 0; i + unit <= n; i += unit)
        if ((p[i] == '\n' || p[i] == '\r') && (unit == 1 || p[i + 1] == 0)) return i;
    return n - n % unit;
}

// The file is read in blocks and decoded a batch of whole lines at a time, so neither the
// bytes nor the text of a large file are ever held in full.
bool read_all_lines(Source& source, LineSink& lines, std::size_t unit, ReaderLimits limits) {
    // Whole units only, and room for at least one unit of each.
    limits.block_bytes = std::max(limits.block_bytes - limits.block_bytes % 2, std::size_t{2});
    limits.max_line_bytes =
        std::max(limits.max_line_bytes - limits.max_line_bytes % 2, std::size_t{2});
    const std::size_t block_bytes = limits.block_bytes;
    const std::size_t max_line_bytes = limits.max_line_bytes;
    std::vector<char> buffer(block_bytes + max_line_bytes);
    std::size_t held = 0;        // bytes at the front of the buffer not yet parsed
    bool skipping_tail = false;  // inside the cut-off rest of an overlong line
    for (;;) {
        const std::size_t n = source.read(buffer.data() + held, block_bytes);
        if (n < block_bytes && source.failed()) return false;
        const bool at_end = n < block_bytes;
        held += n;
        std::size_t begin = 0;
        if (skipping_tail) {
            begin = first_line_end(buffer.data(), held, unit);
            skipping_tail = begin == held - held % unit && !at_end;
        }
        std::size_t cut =
            at_end ? held - held % unit
                   : begin + after_last_line_end(buffer.data() + begin, held - begin, unit);
        if (skipping_tail) cut = begin;
        if (cut > begin) lines.feed(std::string_view(buffer.data() + begin, cut - begin), at_end);
        std::size_t keep = held - cut;
        if (at_end) return lines.finish();
        if (!skipping_tail && keep > max_line_bytes) {
            lines.feed(std::string_view(buffer.data() + cut, max_line_bytes), false);
            skipping_tail = true;
        }
        if (skipping_tail) {
            // Whole units of the overlong line are dropped; an odd byte of UTF-16 stays.
            cut = held - keep % unit;
            keep = held - cut;
        }
        std::memmove(buffer.data(), buffer.data() + cut, keep);
        held = keep;
    }
}

unsigned reader_threads(const ReaderLimits& limits) {
    if (limits.threads != 0) return limits.threads;
    // More workers than cores only take turns; a few are enough to keep up with the reading.
    return std::min(std::max(std::thread::hardware_concurrency(), 1u), 4u);
}

}  // namespace

bool read_speedcam_batches(std::FILE* file, TextEncoding encoding, InputFormat format,
                           const AreaFilter& area, const RecordBatchSink& take,
                           const ReaderLimits& limits, const RecordBatchPrepare& prepare) {
    try {
        // The shape of the rows is decided once, from the start of the file.
        std::string head(kShapeHeadBytes, '\0');
        head.resize(std::fread(head.data(), 1, head.size(), file));
        if (std::ferror(file)) return false;
        const LineRules rules{
            format, decide_row_shape(head, encoding, format, head.size() < kShapeHeadBytes), area};
        Source source(file, head);
        if (encoding == TextEncoding::Utf16) {
            Utf16Lines lines(take, prepare, rules);
            return read_all_lines(source, lines, 2, limits);
        }
        ByteLines lines(take, prepare, rules, encoding, reader_threads(limits));
        return read_all_lines(source, lines, 1, limits);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool read_speedcam_stream(RecordList& records, std::FILE* file, TextEncoding encoding,
                          InputFormat format, const AreaFilter& area, const ReaderLimits& limits) {
    clear_records(records);
    const RecordBatchSink join = [&](RecordList& batch) { return records.take(std::move(batch)); };
    if (read_speedcam_batches(file, encoding, format, area, join, limits)) return true;
    // A read error or lack of memory: show nothing rather than part of the file.
    clear_records(records);
    return false;
}

bool read_speedcam_file(RecordList& records, const std::wstring& path, TextEncoding encoding,
                        InputFormat format, const AreaFilter& area) {
    clear_records(records);
    UniqueFile file = open_file(path, "rb");
    return file && read_speedcam_stream(records, file.get(), encoding, format, area);
}

std::uint64_t likely_objects(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    const long size = std::ftell(file);
    std::rewind(file);
    return size > 0 ? static_cast<std::uint64_t>(size) / 40 : 0;
}

FilesRead read_speedcam_files(RecordList& records, std::span<const std::wstring> paths,
                              TextEncoding encoding, InputFormat format, const AreaFilter& area,
                              bool drop_repeats) {
    clear_records(records);
    FilesRead outcome;
    try {
        RepeatFilter repeats;
        const RecordBatchSink join = [&](RecordList& batch) {
            try {
                if (drop_repeats) outcome.repeats += repeats.remove_repeats(batch);
            } catch (const std::bad_alloc&) {
                return false;
            }
            return records.take(std::move(batch));
        };
        for (outcome.failed = 0; outcome.failed < paths.size(); ++outcome.failed) {
            const UniqueFile file = open_file(paths[outcome.failed], "rb");
            if (file && drop_repeats) repeats.reserve(likely_objects(file.get()));
            const RecordBatchPrepare prepare = [&](RecordList& batch) { repeats.prepare(batch); };
            if (!file || !read_speedcam_batches(file.get(), encoding, format, area, join, {},
                                                drop_repeats ? prepare : nullptr))
                break;
        }
    } catch (const std::bad_alloc&) {
    }
    outcome.read = outcome.failed == paths.size();
    if (!outcome.read) {
        clear_records(records);
        outcome.repeats = 0;
    }
    return outcome;
}
