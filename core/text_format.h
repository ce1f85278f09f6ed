// printf-style formatting of wide text with one meaning on every build: %s always takes a
// wide string, as in the Windows runtime (glibc and C99 wide printf read %s as narrow).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

class FormatArg {
  public:
    enum class Kind { Signed, Unsigned, Double, Text };

    template <typename T>
    requires std::is_integral_v<T> FormatArg(
        T value) {  // NOLINT: implicit by design, like a printf argument
        if constexpr (std::is_signed_v<T>) {
            kind_ = Kind::Signed, int_ = value;
        } else {
            kind_ = Kind::Unsigned, uint_ = value;
        }
    }
    FormatArg(double value) : kind_(Kind::Double), double_(value) {}
    FormatArg(const wchar_t* text) : kind_(Kind::Text), text_(text) {}
    FormatArg(const std::wstring& text) : kind_(Kind::Text), text_(text.c_str()) {}
    // A text that could not be made prints as "(null)".
    FormatArg(const std::optional<std::wstring>& text)
        : kind_(Kind::Text), text_(text ? text->c_str() : nullptr) {}

    Kind kind() const { return kind_; }
    std::int64_t as_signed() const {
        return kind_ == Kind::Signed ? int_ : static_cast<std::int64_t>(uint_);
    }
    std::uint64_t as_unsigned() const {
        return kind_ == Kind::Unsigned ? uint_ : static_cast<std::uint64_t>(int_);
    }
    double as_double() const { return double_; }
    const wchar_t* as_text() const { return text_; }

  private:
    Kind kind_;
    union {
        std::int64_t int_;
        std::uint64_t uint_;
        double double_;
        const wchar_t* text_;
    };
};

// Formats with the conversions %d %i %u %c %s %f and %%, the flags '-' and '0', a width and
// a precision, and the size prefixes I64, ll, l and h. The length is measured first and the
// result allocated once. Null on a formatting error (an unknown conversion, a missing or
// mismatched argument) or when memory runs out. A null %s argument prints "(null)".
std::optional<std::wstring> format_string_args(std::wstring_view format,
                                               std::initializer_list<FormatArg> args);

template <typename... Args>
std::optional<std::wstring> format_string(std::wstring_view format, const Args&... args) {
    return format_string_args(format, {FormatArg(args)...});
}
