#include "native_path.h"

#include <cstdint>

#include "codepage.h"

namespace {

// The length of the valid UTF-8 character at p, or 0.
std::size_t utf8_length(const unsigned char* p, std::size_t n) {
    const unsigned char b = p[0];
    std::size_t need = 0;
    unsigned lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2, lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3, lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (need >= n) return 0;
    for (std::size_t k = 1; k <= need; ++k)
        if (p[k] < (k == 1 ? lo : 0x80) || p[k] > (k == 1 ? hi : 0xBF)) return 0;
    return need + 1;
}

}  // namespace

std::wstring from_native_path(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::wstring out;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = p[i] < 0x80 ? 1 : utf8_length(p + i, bytes.size() - i);
        if (n == 0) {
            out.push_back(static_cast<wchar_t>(0xDC00 + p[i++]));
        } else {
            out += from_utf8(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string native_path(std::wstring_view path) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        const bool escaped = i < path.size() && path[i] >= 0xDC80 && path[i] <= 0xDCFF;
        if (!escaped && i < path.size()) continue;
        append_utf8(path.substr(start, i - start), out);
        if (escaped) out.push_back(static_cast<char>(path[i] - 0xDC00));
        start = i + 1;
    }
    return out;
}
