#include "text_format.h"

#include <charconv>
#include <new>

namespace {

struct Directive {
    bool left = false;
    bool zero = false;
    std::size_t width = 0;
    int precision = -1;
    bool wide64 = false;  // I64 or ll: 64-bit integers
    wchar_t conversion = 0;
};

// Reads the conversion after a '%' at format[i]; returns the index after it, or npos.
std::size_t parse_directive(std::wstring_view f, std::size_t i, Directive& directive) {
    for (; i < f.size(); ++i) {
        if (f[i] == L'-')
            directive.left = true;
        else if (f[i] == L'0')
            directive.zero = true;
        else if (f[i] != L'+' && f[i] != L' ' && f[i] != L'#')
            break;
    }
    for (; i < f.size() && f[i] >= L'0' && f[i] <= L'9'; ++i)
        directive.width = std::min<std::size_t>(directive.width * 10 + (f[i] - L'0'), 4096);
    if (i < f.size() && f[i] == L'.') {
        directive.precision = 0;
        for (++i; i < f.size() && f[i] >= L'0' && f[i] <= L'9'; ++i)
            directive.precision = std::min(directive.precision * 10 + (f[i] - L'0'), 4096);
    }
    if (f.substr(i, 3) == L"I64") {
        directive.wide64 = true, i += 3;
    } else if (f.substr(i, 2) == L"ll") {
        directive.wide64 = true, i += 2;
    } else if (i < f.size() && (f[i] == L'l' || f[i] == L'h')) {
        ++i;
    }
    if (i >= f.size()) return std::wstring_view::npos;
    directive.conversion = f[i];
    return i + 1;
}

// Renders one conversion into `piece` (ASCII digits or the argument's text).
bool render(const Directive& directive, const FormatArg& arg, std::wstring& piece) {
    char digits[400];
    std::to_chars_result r{digits, {}};
    using Kind = FormatArg::Kind;
    switch (directive.conversion) {
        case L'd':
        case L'i':
        case L'u':
            if (arg.kind() != Kind::Signed && arg.kind() != Kind::Unsigned) return false;
            if (directive.conversion == L'u') {
                const std::uint64_t v = arg.as_unsigned();
                r = std::to_chars(digits, digits + sizeof digits,
                                  directive.wide64 ? v : static_cast<std::uint32_t>(v));
            } else {
                const std::int64_t v = arg.as_signed();
                r = std::to_chars(digits, digits + sizeof digits,
                                  directive.wide64 ? v : static_cast<std::int32_t>(v));
            }
            break;
        case L'f':
            if (arg.kind() != Kind::Double) return false;
            r = std::to_chars(digits, digits + sizeof digits, arg.as_double(),
                              std::chars_format::fixed,
                              directive.precision < 0 ? 6 : directive.precision);
            if (r.ec != std::errc()) return false;
            break;
        case L'c':
            if (arg.kind() != Kind::Signed && arg.kind() != Kind::Unsigned) return false;
            piece.assign(1, static_cast<wchar_t>(arg.as_unsigned()));
            return true;
        case L's': {
            if (arg.kind() != Kind::Text) return false;
            std::wstring_view text = arg.as_text() ? arg.as_text() : L"(null)";
            if (directive.precision >= 0)
                text = text.substr(0, static_cast<std::size_t>(directive.precision));
            piece.assign(text);
            return true;
        }
        default:
            return false;
    }
    piece.assign(digits, r.ptr);
    return true;
}

// Runs the format once; with out == nullptr only the length is counted.
bool run(std::wstring_view f, std::initializer_list<FormatArg> args, std::size_t& length,
         std::wstring* out) {
    auto next_arg = args.begin();
    std::wstring piece;
    length = 0;
    for (std::size_t i = 0; i < f.size();) {
        const std::size_t percent = f.find(L'%', i);
        const std::wstring_view literal = f.substr(i, percent - i);
        length += literal.size();
        if (out) out->append(literal);
        if (percent == std::wstring_view::npos) break;
        if (percent + 1 < f.size() && f[percent + 1] == L'%') {
            ++length;
            if (out) out->push_back(L'%');
            i = percent + 2;
            continue;
        }
        Directive directive;
        i = parse_directive(f, percent + 1, directive);
        if (i == std::wstring_view::npos || next_arg == args.end()) return false;
        if (!render(directive, *next_arg++, piece)) return false;
        const std::size_t pad = directive.width > piece.size() ? directive.width - piece.size() : 0;
        length += piece.size() + pad;
        if (!out) continue;
        const bool numeric = directive.conversion != L's' && directive.conversion != L'c';
        if (directive.left) {
            out->append(piece).append(pad, L' ');
        } else if (directive.zero && numeric) {
            // Zeros go after the sign.
            const std::size_t sign = !piece.empty() && piece[0] == L'-' ? 1 : 0;
            out->append(piece, 0, sign).append(pad, L'0').append(piece, sign);
        } else {
            out->append(pad, L' ').append(piece);
        }
    }
    return true;
}

}  // namespace

std::optional<std::wstring> format_string_args(std::wstring_view format,
                                               std::initializer_list<FormatArg> args) {
    try {
        std::size_t length = 0;
        if (!run(format, args, length, nullptr)) return std::nullopt;
        std::wstring out;
        out.reserve(length);
        run(format, args, length, &out);
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
