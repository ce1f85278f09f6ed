#include "reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codepage.h"
#include "file_io.h"
#include "parser.h"

namespace {

inline bool is_line_end(wchar_t u) {
    return u == L'\n' || u == L'\r';
}

class LineSplitter {
  public:
    LineSplitter(AppState& state, TextEncoding encoding, InputFormat format)
        : state_(state), encoding_(encoding), format_(format) {}

    // Parses every line of bytes that end at a line end (or at the end of the file).
    void feed(const char* bytes, std::size_t n) {
        if (encoding_ == TextEncoding::Utf16)
            feed_utf16(std::string_view(bytes, n));
        else
            feed_bytes(std::string_view(bytes, n));
    }

  private:
    // UTF-8 and ANSI: line ends and columns are ASCII bytes in both, so the lines are cut and
    // parsed as bytes, and only comments are decoded.
    void feed_bytes(std::string_view rest) {
        if (at_start_ && !rest.empty()) {
            // A byte-order mark is dropped only at the very start of the text.
            if (encoding_ == TextEncoding::Utf8 && rest.starts_with("\xEF\xBB\xBF"))
                rest.remove_prefix(3);
            at_start_ = false;
        }
        const char* p = rest.data();
        const char* const end = p + rest.size();
        while (p < end) {
            const char* line_end = find_line_end(p, end);
            // A line ends at LF, CR LF or a lone CR; the empty pieces between CR and LF are
            // never objects.
            if (line_end > p)
                parse_speedcam_bytes(state_, std::string_view(p, line_end - p), format_, encoding_,
                                     text_);
            p = line_end + 1;
        }
    }

    // The first CR or LF in [p, end), or end.
    static const char* find_line_end(const char* p, const char* end) {
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

    void feed_utf16(std::string_view bytes) {
        decode_text(bytes, encoding_, text_);
        std::wstring_view rest(text_);
        if (at_start_ && !rest.empty()) {
            if (rest.front() == 0xFEFF) rest.remove_prefix(1);
            at_start_ = false;
        }
        while (!rest.empty()) {
            std::size_t end = 0;
            while (end < rest.size() && !is_line_end(rest[end])) ++end;
            if (end > 0) parse_speedcam_line(state_, rest.substr(0, end), format_);
            rest.remove_prefix(end < rest.size() ? end + 1 : end);
        }
    }

    AppState& state_;
    TextEncoding encoding_;
    InputFormat format_;
    std::wstring text_;
    bool at_start_ = true;
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
bool read_all_lines(std::FILE* file, LineSplitter& lines, std::size_t unit, ReaderLimits limits) {
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
        const std::size_t n = std::fread(buffer.data() + held, 1, block_bytes, file);
        if (n < block_bytes && std::ferror(file)) return false;
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
        if (cut > begin) lines.feed(buffer.data() + begin, cut - begin);
        std::size_t keep = held - cut;
        if (at_end) return true;
        if (!skipping_tail && keep > max_line_bytes) {
            lines.feed(buffer.data() + cut, max_line_bytes);
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

}  // namespace

bool read_speedcam_stream(AppState& state, std::FILE* file, TextEncoding encoding,
                          InputFormat format, const ReaderLimits& limits) {
    clear_records(state);
    try {
        LineSplitter lines(state, encoding, format);
        if (read_all_lines(file, lines, encoding == TextEncoding::Utf16 ? 2 : 1, limits))
            return true;
    } catch (const std::bad_alloc&) {
    }
    // A read error or lack of memory: show nothing rather than part of the file.
    clear_records(state);
    return false;
}

bool read_speedcam_file(AppState& state, const std::wstring& path, TextEncoding encoding,
                        InputFormat format) {
    clear_records(state);
    UniqueFile file = open_file(path, "rb");
    return file && read_speedcam_stream(state, file.get(), encoding, format);
}
