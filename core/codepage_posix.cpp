// The host build's own decoders. wchar_t holds a whole code point here, where Windows holds
// UTF-16 units: a character outside the Basic Multilingual Plane is one unit on the host and
// two on Windows. Only the comment's 127-unit limit can tell the difference.
#include <cstdint>

#include "codepage.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Windows-1251, bytes 0x80..0xFF. 0x98 is unassigned and passes through as U+0098, as the
// Windows table maps it.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A,
    0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425,
    0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430,
    0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446,
    0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

inline bool in(unsigned char b, unsigned lo, unsigned hi) { return b >= lo && b <= hi; }

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
        out[i] = b < 0x80 ? b : kCp1251High[b - 0x80];
    }
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
