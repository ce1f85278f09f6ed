#include "codepage.h"

void decode_text(std::string_view bytes, TextEncoding encoding, std::wstring& out) {
    if (encoding != TextEncoding::Utf16) {
        decode_multibyte(bytes, encoding, out);
        return;
    }
    out.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] = static_cast<wchar_t>(lo | (hi << 8));
    }
}

std::string to_utf8(std::wstring_view text) {
    std::string out;
    append_utf8(text, out);
    return out;
}

std::wstring from_utf8(std::string_view bytes) {
    std::wstring out;
    decode_multibyte(bytes, TextEncoding::Utf8, out);
    return out;
}
