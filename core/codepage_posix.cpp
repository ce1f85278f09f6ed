// The host build's own decoders. wchar_t holds a whole code point here, where Windows holds
// UTF-16 units: a character outside the Basic Multilingual Plane is one unit on the host and
// two on Windows. Only the comment's 127-unit limit can tell the difference.
#include <cstdint>

#include "codepage.h"
#include "cp1251.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

inline bool in(unsigned char b, unsigned lo, unsigned hi) {
    return b >= lo && b <= hi;
}

// Each maximal ill-formed subpart becomes one U+FFFD, the practice Windows follows.
std::size_t decode_utf8(std::string_view bytes, wchar_t* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t o = 0;
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out[o++] = b;
            ++i;
            continue;
        }
        // Cyrillic: two bytes, the common case after ASCII.
        if (in(b, 0xC2, 0xDF) && i + 1 < n && in(p[i + 1], 0x80, 0xBF)) {
            out[o++] = static_cast<wchar_t>(((b & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
            continue;
        }
        std::size_t need;
        std::uint32_t cp;
        unsigned lo = 0x80, hi = 0xBF;  // allowed range of the first continuation byte
        if (in(b, 0xC2, 0xDF)) {
            need = 1, cp = b & 0x1F;
        } else if (in(b, 0xE0, 0xEF)) {
            need = 2, cp = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (in(b, 0xF0, 0xF4)) {
            need = 3, cp = b & 0x07;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            out[o++] = kReplacement;
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool ok = true;
        for (std::size_t k = 0; k < need; ++k, ++j) {
            if (j >= n || !in(p[j], k == 0 ? lo : 0x80, k == 0 ? hi : 0xBF)) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (p[j] & 0x3F);
        }
        out[o++] = ok ? static_cast<wchar_t>(cp) : kReplacement;
        i = j;
    }
    return o;
}

}  // namespace

void decode_multibyte(std::string_view bytes, TextEncoding encoding, std::wstring& out) {
    out.resize(bytes.size());
    if (encoding == TextEncoding::Utf8) {
        out.resize(decode_utf8(bytes, out.data()));
        return;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = cp1251_to_unicode(b);
    }
}

bool encode_ansi(std::wstring_view text, std::string& out) {
    out.clear();
    for (const wchar_t c : text) {
        const int b = unicode_to_cp1251(c);
        if (b < 0) return false;
        out.push_back(static_cast<char>(b));
    }
    return true;
}

void append_utf8(std::wstring_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto cp = static_cast<std::uint32_t>(text[i]);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        // Surrogates may arrive as separate units (UTF-16 input); a pair joins into one.
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            const auto lo = static_cast<std::uint32_t>(text[i + 1]);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
        if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        }
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
