#include <windows.h>

#include <climits>

#include "codepage.h"

void decode_multibyte(std::string_view bytes, TextEncoding encoding, std::wstring& out) {
    out.clear();
    if (bytes.empty() || bytes.size() > INT_MAX) return;
    const UINT code_page = encoding == TextEncoding::Utf8 ? CP_UTF8 : CP_ACP;
    const int n = static_cast<int>(bytes.size());
    // One byte never yields more than one UTF-16 unit in UTF-8 or in an ANSI code page
    // (a 4-byte sequence yields two), so the byte count bounds the output.
    out.resize(bytes.size());
    const int written = MultiByteToWideChar(code_page, 0, bytes.data(), n, out.data(), n);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
}

bool encode_ansi(std::wstring_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX / 4) return false;
    const int n = static_cast<int>(text.size());
    out.resize(text.size() * 4);
    BOOL lost = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), n,
                                            out.data(), n * 4, nullptr, &lost);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return written > 0 && !lost;
}

void append_utf8(std::wstring_view text, std::string& out) {
    if (text.empty() || text.size() > INT_MAX / 3) return;
    const int n = static_cast<int>(text.size());
    const std::size_t old = out.size();
    out.resize(old + text.size() * 3);
    const int written =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), n, out.data() + old, n * 3, nullptr, nullptr);
    out.resize(old + (written > 0 ? static_cast<std::size_t>(written) : 0));
}
