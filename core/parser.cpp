#include "parser.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codepage.h"

namespace {

constexpr std::size_t kMaxField = 31;     // characters of one numeric column
constexpr std::size_t kMaxComment = 127;  // characters of the comment
constexpr int kMaxTrackedColumn = 9;      // columns 0..8 and the text after them

enum CharClass : std::uint8_t { kOther, kComma, kNumeric, kZero };

constexpr std::array<CharClass, 128> kAsciiClass = [] {
    std::array<CharClass, 128> table{};
    for (char c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = kNumeric;
    table['-'] = kNumeric;
    table['.'] = kNumeric;
    table[','] = kComma;
    table[0] = kZero;
    return table;
}();

template <typename Char>
inline CharClass classify(Char u) {
    using Unit = std::make_unsigned_t<Char>;
    const auto v = static_cast<Unit>(u);
    return v < 128 ? kAsciiClass[v] : kOther;
}

constexpr std::size_t kWindow = 64;  // characters tested at once

// Bit i set where character i of [p, p + len) is not numeric; len is at most 64.
template <typename Char>
inline std::uint64_t separator_mask(const Char* p, std::size_t len) {
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < len; ++i) mask |= std::uint64_t{classify(p[i]) != kNumeric} << i;
    return mask;
}

#if defined(__SSE2__)
// Bit i set where byte i of the sixteen at p is numeric.
inline std::uint64_t numeric_bits16(const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Signed comparisons: bytes from 0x80 up are negative and so never digits.
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                                        _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
    const __m128i sign_or_point =
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('-')), _mm_cmpeq_epi8(v, _mm_set1_epi8('.')));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(digit, sign_or_point)));
}

// Bytes are tested sixteen at a time: this is where most of a large file's time goes. The
// last sixteen overlap the ones before, so nothing outside the line is read.
inline std::uint64_t separator_mask(const char* p, std::size_t len) {
    if (len < 16) return separator_mask<char>(p, len);
    std::uint64_t numeric = 0;
    std::size_t j = 0;
    for (; j + 16 <= len; j += 16) numeric |= numeric_bits16(p + j) << j;
    if (j < len) numeric |= numeric_bits16(p + len - 16) << (len - 16);
    const std::uint64_t valid = len >= kWindow ? ~std::uint64_t{0} : (std::uint64_t{1} << len) - 1;
    return ~numeric & valid;
}
#endif

// The last numeric column of a row of this shape; the comment follows it.
template <RowShape Shape>
constexpr int kLastColumn = Shape == RowShape::Six    ? 5
                            : Shape == RowShape::Nine ? 8
                                                      : 6;

// Where the columns of a line are, as offsets into it. Only the offsets of the columns that
// the line has are set.
struct LineLayout {
    std::size_t start[kMaxTrackedColumn + 1];
    std::size_t end[kMaxTrackedColumn];
    std::size_t comment_at = std::string_view::npos;
    std::size_t other_at_last = std::string_view::npos;  // what ended the last number column
};

// Decides whether the line is an object of this shape and where its columns are. A zero unit
// ends the line. The decision looks at ASCII characters only: the first character outside
// ASCII is of the "other" class and ends the scan one way or another.
template <RowShape Shape, typename Char>
bool scan_columns(std::basic_string_view<Char> line, LineLayout& layout) {
    constexpr int last = kLastColumn<Shape>;
    std::size_t line_end = line.size();
    std::size_t run_start = 0;  // the first character after the last separator
    int k = 0;                  // the column being read
    layout.start[0] = 0;
    // Only the separators, the characters that are not numeric, are visited one by one.
    for (std::size_t base = 0; base < line_end; base += kWindow) {
        std::uint64_t mask = separator_mask(line.data() + base, std::min(line_end - base, kWindow));
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t i = base + static_cast<std::size_t>(std::countr_zero(mask));
            // A run of numeric characters, at most 31 between two separators.
            if (i - run_start > kMaxField) return false;
            run_start = i + 1;
            const CharClass c = classify(line[i]);
            if (c == kZero) {
                line_end = i;
                break;
            }
            if (c == kComma) {
                // Six columns and then a number are an indexed row of seven, which read as
                // six would be shifted by a column.
                if (Shape == RowShape::Six && k == last && i + 1 < line.size() &&
                    classify(line[i + 1]) == kNumeric)
                    return false;
                if (k < kMaxTrackedColumn) {
                    layout.end[k] = i;
                    layout.start[k + 1] = i + 1;
                }
                if (k < INT32_MAX) ++k;
            } else if (k == last) {
                // The character that ends the last numeric column is dropped.
                layout.end[last] = i;
                layout.start[last + 1] = i + 1;
                layout.other_at_last = i;
                k = last + 1;
            } else if (k == last + 1) {
                // The comment is the whole rest from the first character after the last
                // numeric column, numbers in front included ("90,12 km" gives "12 km").
                layout.comment_at = layout.start[last + 1];
                return true;
            } else {
                return false;
            }
        }
    }
    if (line_end > run_start && line_end - run_start > kMaxField) return false;
    // The end of the line acts as one more character of the "other" class.
    if (k == last) {
        layout.end[last] = line_end;
    } else if (k != last + 1) {
        return false;
    }
    return true;
}

template <typename Char>
void copy_field(char (&dest)[32], std::basic_string_view<Char> field) {
    // Only numeric characters reach here, every one of them ASCII.
    const std::size_t n = std::min(field.size(), kMaxField);
    if constexpr (sizeof(Char) == 1)
        std::memcpy(dest, field.data(), n);
    else
        for (std::size_t i = 0; i < n; ++i) dest[i] = static_cast<char>(field[i]);
    dest[n] = '\0';
}

template <typename Char>
inline std::int32_t to_int(std::basic_string_view<Char> text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) i = 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT64_C(0x100000000)) value = INT64_C(0x100000000);  // saturate early
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

bool passes_area_filter(const SpeedcamRecord& record, const AreaFilter& area) {
    // The texts are read as numbers only when a filter needs them.
    return !area.on() ||
           area.contains(coordinate_to_double(record.x_text), coordinate_to_double(record.y_text));
}

// Appends the record the layout describes, unless the area filter keeps it out. Returns the
// record, or null when it was not added.
template <RowShape Shape, typename Char>
SpeedcamRecord* add_record(RecordList& records, std::basic_string_view<Char> line,
                           const LineLayout& layout, const AreaFilter& area) {
    SpeedcamRecord* record = records.append_zeroed();
    if (record == nullptr) return nullptr;
    auto column = [&](int c) {
        return line.substr(layout.start[c], layout.end[c] - layout.start[c]);
    };
    constexpr int x = Shape == RowShape::Six ? 0 : 1;  // rows without the index start with X
    copy_field(record->x_text, column(x));
    copy_field(record->y_text, column(x + 1));
    record->type_id = to_int(column(x + 2));
    record->speed_limit = to_int(column(x + 3));
    record->column6_value = to_int(column(x + 5));  // the direction
    if (!passes_area_filter(*record, area)) {
        records.drop_last();
        records.count_kept_out();
        return nullptr;
    }
    return record;
}

bool known_format(InputFormat format) {
    return format == InputFormat::Navitel || format == InputFormat::Igo;
}

}  // namespace

double coordinate_to_double(std::string_view text) {
    // The text holds only digits, '-' and '.', so the number is [-]digits[.digits].
    const char* p = text.data();
    const char* const end = p + std::min(text.size(), kMaxField);
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    std::uint64_t mantissa = 0;  // exact while there are at most 19 digits
    const char* const whole = p;
    for (unsigned digit; p != end && (digit = static_cast<unsigned char>(*p) - 48u) < 10; ++p)
        mantissa = mantissa * 10 + digit;
    std::ptrdiff_t digits = p - whole, decimals = 0;
    if (p != end && *p == '.') {
        const char* const fraction = ++p;
        for (unsigned digit; p != end && (digit = static_cast<unsigned char>(*p) - 48u) < 10; ++p)
            mantissa = mantissa * 10 + digit;
        decimals = p - fraction;
        digits += decimals;
    }
    if (digits == 0) return 0.0;
    // Up to 15 digits both the digits and the power of ten are exact doubles, so one division
    // rounds as correctly as reading the text does, at a fraction of its cost: a coordinate is
    // read for every object when repeats are left out or the nearest come first.
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (digits <= 15) {
        const double value = static_cast<double>(mantissa) / kTens[decimals];
        return negative ? -value : value;
    }
    double value = 0.0;
    std::from_chars(text.data(), p, value, std::chars_format::fixed);
    return value;
}

namespace {

// How many of the eight bytes from `p` on are digits, counted from the first, and their value.
struct Digits {
    int count;
    std::uint64_t value;
};
Digits eight_digits(const char* p) {
    std::uint64_t chunk;
    std::memcpy(&chunk, p, sizeof chunk);
    // A byte is a digit when its high half is 3 and adding 6 keeps it so.
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0, kThree = 0x3030303030303030;
    const std::uint64_t other =
        ((chunk & kHigh) ^ kThree) | (((chunk + 0x0606060606060606) & kHigh) ^ kThree);
    const int count = other == 0 ? 8 : std::countr_zero(other) / 8;
    if (count == 0) return {0, 0};
    // The digits move to the high bytes, so that the low ones read as leading zeros, then
    // pairs, fours and eights of them are joined.
    std::uint64_t v = (chunk - kThree) << (8 * (8 - count));
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FF;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFF;
    v = (v * 10000 + (v >> 32)) & 0xFFFFFFFF;
    return {count, v};
}

}  // namespace

double coordinate_to_double(const char (&text)[32]) {
    // [-]digits[.digits] of at most 8 and 16 digits, the terminator within the 32 bytes: each
    // read of eight bytes from a digit's place stays inside them.
    const char* p = text + (text[0] == '-');
    const Digits whole = eight_digits(p);
    if (whole.count < 8) {
        std::uint64_t mantissa = whole.value;
        int decimals = 0;
        const char* q = p + whole.count;
        if (*q == '.') {
            const Digits first = eight_digits(q + 1);
            const Digits second = first.count == 8 ? eight_digits(q + 9) : Digits{0, 0};
            static constexpr std::uint64_t kTens[] = {1,      10,      100,      1000,     10000,
                                                      100000, 1000000, 10000000, 100000000};
            mantissa =
                (mantissa * kTens[first.count] + first.value) * kTens[second.count] + second.value;
            decimals = first.count + second.count;
            q += 1 + decimals;
        }
        // Past the digits of the fast way, or too many for it, the text is read the long way.
        const bool plain = *q < '0' || *q > '9';
        if (plain && whole.count + decimals <= 15 && (whole.count > 0 || decimals > 0)) {
            static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
            const double value = static_cast<double>(mantissa) / kTens[decimals];
            return text[0] == '-' ? -value : value;
        }
    }
    return coordinate_to_double(std::string_view(text, strnlen(text, sizeof text)));
}

namespace {

// Rows looked at when a file has no header that tells its shape.
constexpr int kShapeRows = 64;

template <typename Char>
bool starts_with_name(std::basic_string_view<Char> line, std::string_view name) {
    if (line.size() < name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<std::make_unsigned_t<Char>>(line[i]);
        if ((c >= 'a' && c <= 'z' ? c - 32 : c) != static_cast<unsigned char>(name[i]))
            return false;
    }
    return true;
}

// The names of a header line before its "//" comment, empty ones not counted.
template <typename Char>
int header_names(std::basic_string_view<Char> line) {
    int names = 0;
    bool in_name = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Char c = line[i];
        if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') break;
        if (c == ',') {
            in_name = false;
        } else if (c != ' ' && c != '\t' && !in_name) {
            in_name = true;
            ++names;
        }
    }
    return names;
}

template <RowShape Shape, typename Char>
bool fits(std::basic_string_view<Char> line) {
    LineLayout layout;
    return scan_columns<Shape>(line, layout);
}

template <typename Char>
RowShape shape_of_rows(std::basic_string_view<Char> text, InputFormat format, bool whole) {
    const Char line_ends[] = {'\r', '\n', 0};
    const bool igo = format == InputFormat::Igo;
    int votes[3] = {};  // by RowShape
    for (int rows = 0; !text.empty() && rows < kShapeRows;) {
        const std::size_t end = text.find_first_of(line_ends);
        if (end == text.npos && !whole) break;  // the last line may be cut
        const auto line = text.substr(0, end);
        text.remove_prefix(end == text.npos ? text.size() : end + 1);
        if (igo && starts_with_name(line, "X,Y,")) return RowShape::Six;
        if (starts_with_name(line, "IDX,X,Y,"))
            return header_names(line) == 9 ? RowShape::Nine : RowShape::Seven;
        // No row fits both nine and another shape. A six-column row with a name also fits
        // seven (its name then ends an empty seventh column), while a seven-column row
        // never fits six: six comes first.
        RowShape shape;
        if (fits<RowShape::Nine>(line))
            shape = RowShape::Nine;
        else if (igo && fits<RowShape::Six>(line))
            shape = RowShape::Six;
        else if (fits<RowShape::Seven>(line))
            shape = RowShape::Seven;
        else
            continue;
        ++votes[static_cast<int>(shape)];
        ++rows;
    }
    // Seven, the shape of most files, unless another has more rows.
    RowShape best = RowShape::Seven;
    for (const RowShape shape : {RowShape::Six, RowShape::Nine})
        if (votes[static_cast<int>(shape)] > votes[static_cast<int>(best)]) best = shape;
    return best;
}

template <RowShape Shape>
void parse_line(RecordList& records, std::wstring_view line, const AreaFilter& area) {
    LineLayout layout;
    if (!scan_columns<Shape>(line, layout)) return;
    SpeedcamRecord* record = add_record<Shape>(records, line, layout, area);
    if (record == nullptr || layout.comment_at == std::wstring_view::npos) return;
    std::wstring_view comment = line.substr(layout.comment_at);
    comment = comment.substr(0, std::min({comment.find(L'\0'), comment.size(), kMaxComment}));
    record->comment = records.keep_comment(comment);
}

template <RowShape Shape>
void parse_bytes(RecordList& records, std::string_view line, const AreaFilter& area,
                 TextEncoding encoding, std::wstring& scratch) {
    LineLayout layout;
    if (!scan_columns<Shape>(line, layout)) return;
    if (layout.other_at_last != std::string_view::npos &&
        static_cast<unsigned char>(line[layout.other_at_last]) >= 0x80) {
        // The last numeric column ends in a character of several bytes, all of which are
        // dropped: the decoded line knows where that character ends.
        decode_text(line.substr(0, std::min(line.find('\0'), line.size())), encoding, scratch);
        parse_line<Shape>(records, scratch, area);
        return;
    }
    SpeedcamRecord* record = add_record<Shape>(records, line, layout, area);
    if (record == nullptr || layout.comment_at == std::string_view::npos) return;
    // The comment starts after an ASCII character, so at a character boundary. 127
    // characters never take more than 4 bytes each.
    std::string_view bytes = line.substr(layout.comment_at, kMaxComment * 4 + 4);
    bytes = bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
    decode_text(bytes, encoding, scratch);
    record->comment = records.keep_comment(std::wstring_view(scratch).substr(0, kMaxComment));
}

}  // namespace

RowShape decide_row_shape(std::string_view head, TextEncoding encoding, InputFormat format,
                          bool whole) {
    head = head.substr(0, kShapeHeadBytes);
    whole = whole && head.size() < kShapeHeadBytes;
    if (encoding != TextEncoding::Utf16)
        return shape_of_rows(head.starts_with("\xEF\xBB\xBF") ? head.substr(3) : head, format,
                             whole);
    std::wstring text;
    decode_text(head, TextEncoding::Utf16, text);
    std::wstring_view view(text);
    if (!view.empty() && view.front() == 0xFEFF) view.remove_prefix(1);
    return shape_of_rows(view, format, whole);
}

void parse_speedcam_line(RecordList& records, std::wstring_view line, const LineRules& rules) {
    if (!known_format(rules.format)) return;
    switch (rules.shape) {
        case RowShape::Seven:
            return parse_line<RowShape::Seven>(records, line, rules.area);
        case RowShape::Six:
            return parse_line<RowShape::Six>(records, line, rules.area);
        case RowShape::Nine:
            return parse_line<RowShape::Nine>(records, line, rules.area);
    }
}

void parse_speedcam_bytes(RecordList& records, std::string_view line, const LineRules& rules,
                          TextEncoding encoding, std::wstring& scratch) {
    if (!known_format(rules.format)) return;
    switch (rules.shape) {
        case RowShape::Seven:
            return parse_bytes<RowShape::Seven>(records, line, rules.area, encoding, scratch);
        case RowShape::Six:
            return parse_bytes<RowShape::Six>(records, line, rules.area, encoding, scratch);
        case RowShape::Nine:
            return parse_bytes<RowShape::Nine>(records, line, rules.area, encoding, scratch);
    }
}
