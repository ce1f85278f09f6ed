#include "parser.h"

#include <algorithm>
#include <charconv>
#include <cwchar>

namespace {

constexpr std::size_t kMaxField = 31;     // characters of one numeric column
constexpr std::size_t kMaxComment = 127;  // characters of the comment
constexpr int kMaxTrackedColumn = 7;      // columns 0..6 and the text after column 6

enum class CharClass : std::uint8_t { Other, Comma, Numeric };

inline CharClass classify(wchar_t u) {
    if (u == L',') return CharClass::Comma;
    if ((u >= L'0' && u <= L'9') || u == L'-' || u == L'.') return CharClass::Numeric;
    return CharClass::Other;
}

void copy_field(wchar_t (&dest)[32], std::wstring_view field) {
    const std::size_t n = std::min(field.size(), kMaxField);
    std::wmemcpy(dest, field.data(), n);
    dest[n] = L'\0';
}

bool passes_area_filter(const SpeedcamRecord& record, const AreaFilter& filter) {
    if (!area_filter_on(filter)) return true;
    const double x = coordinate_to_double(record.x_text);
    const double y = coordinate_to_double(record.y_text);
    // Strict on every side; a NaN bound fails every comparison.
    return x > filter.west && x < filter.east && y < filter.north && y > filter.south;
}

}  // namespace

std::int32_t column_to_int(std::wstring_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (negative) i = 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > INT64_C(0x100000000)) value = INT64_C(0x100000000);  // saturate early
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

double coordinate_to_double(std::wstring_view text) {
    // The text holds only digits, '-' and '.', so the number is [-]digits[.digits] and every
    // character of it is ASCII.
    char narrow[kMaxField + 2];
    std::size_t n = 0;
    std::size_t i = 0;
    if (i < text.size() && text[i] == L'-') narrow[n++] = '-', ++i;
    std::size_t digits = 0;
    for (; i < text.size() && n < kMaxField && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits)
        narrow[n++] = static_cast<char>(text[i]);
    if (i < text.size() && n < kMaxField && text[i] == L'.') {
        narrow[n++] = '.', ++i;
        for (; i < text.size() && n < kMaxField && text[i] >= L'0' && text[i] <= L'9';
             ++i, ++digits)
            narrow[n++] = static_cast<char>(text[i]);
    }
    if (digits == 0) return 0.0;
    double value = 0.0;
    std::from_chars(narrow, narrow + n, value, std::chars_format::fixed);
    return value;
}

void parse_speedcam_line(AppState& state, std::wstring_view line, InputFormat format) {
    if (format != InputFormat::Navitel && format != InputFormat::Igo) return;
    line = line.substr(0, std::min(line.size(), line.find(L'\0')));

    // Start and end of columns 0..6 and the start of the text after column 6, as offsets.
    std::size_t start[kMaxTrackedColumn + 1] = {0};
    std::size_t end[kMaxTrackedColumn] = {0};
    int k = 0;
    std::size_t field_len = 0;
    std::size_t comment_at = std::wstring_view::npos;

    for (std::size_t i = 0; i < line.size(); ++i) {
        const wchar_t u = line[i];
        switch (classify(u)) {
            case CharClass::Comma:
                if (k < kMaxTrackedColumn) {
                    end[k] = i;
                    start[k + 1] = i + 1;
                }
                if (k < INT32_MAX) ++k;
                field_len = 0;
                break;
            case CharClass::Numeric:
                if (++field_len > kMaxField) return;
                break;
            case CharClass::Other:
                if (k == 6) {
                    // The character that ends column 6 is dropped.
                    end[6] = i;
                    start[7] = i + 1;
                    k = 7;
                    field_len = 0;
                } else if (k == 7) {
                    // The comment is the whole rest from the first character after column 6,
                    // numbers in front included ("90,12 km" gives "12 km").
                    comment_at = start[7];
                } else {
                    return;
                }
                break;
        }
        if (comment_at != std::wstring_view::npos) break;
    }

    // The end of the line acts as one more character of the "other" class.
    bool six_columns = false;
    if (comment_at == std::wstring_view::npos) {
        if (k == 6) {
            end[6] = line.size();
        } else if (k == 5 && format == InputFormat::Igo) {
            // Classic iGO row without an index: X,Y,TYPE,SPEED,DIRTYPE,DIRECTION.
            end[5] = line.size();
            six_columns = true;
        } else if (k != 7) {
            return;
        }
    }

    SpeedcamRecord* record = state.records.append_zeroed();
    if (record == nullptr) return;
    auto column = [&](int c) { return line.substr(start[c], end[c] - start[c]); };
    if (six_columns) {
        copy_field(record->x_text, column(0));
        copy_field(record->y_text, column(1));
        record->type_id = column_to_int(column(2));
        record->speed_limit = column_to_int(column(3));
        record->column6_value = column_to_int(column(5));
    } else {
        copy_field(record->x_text, column(1));
        copy_field(record->y_text, column(2));
        record->type_id = column_to_int(column(3));
        record->speed_limit = column_to_int(column(4));
        record->column6_value = column_to_int(column(6));
    }
    if (!passes_area_filter(*record, state.filter.area)) {
        state.records.drop_last();
        return;
    }
    if (!six_columns && comment_at != std::wstring_view::npos)
        record->comment = state.records.keep_comment(line.substr(comment_at, kMaxComment));
}
