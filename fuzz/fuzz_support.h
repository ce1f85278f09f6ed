// Shared by the fuzz harnesses: taking typed values off the front of the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (bytes_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(1);
        return b;
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return v;
    }
    // Up to `max` wide characters, with CR, LF and NUL left out (no text of the program can
    // hold them) and every other unit below 0x10000 possible, surrogates included.
    std::wstring text(std::size_t max) {
        std::wstring out;
        const std::size_t n = byte() % (max + 1);
        for (std::size_t i = 0; i < n && !bytes_.empty(); ++i) {
            const std::uint8_t b = byte();
            wchar_t c =
                b < 0xC0 ? static_cast<wchar_t>(b) : static_cast<wchar_t>((b << 8) | byte());
            if (c != L'\r' && c != L'\n' && c != L'\0') out.push_back(c);
        }
        return out;
    }
    std::string_view rest() const { return bytes_; }

  private:
    std::string_view bytes_;
};

// A finding: stop the fuzzer with the input that caused it.
#define FUZZ_CHECK(condition)           \
    do {                                \
        if (!(condition)) std::abort(); \
    } while (0)
