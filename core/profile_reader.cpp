#include <cstdint>

#include "profile.h"

namespace {

std::wstring folded(std::wstring_view name) {
    std::wstring out(name);
    for (wchar_t& c : out)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return out;
}

// Integer text as the Windows profile functions read it: blanks, a sign, then decimal
// digits or a 0x, 0o or 0b prefix; the value wraps at 32 bits.
int parse_profile_int(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] <= L' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == L'0') {
        const wchar_t p = text[i + 1];
        base = p == L'x' || p == L'X'   ? 16
               : p == L'o' || p == L'O' ? 8
               : p == L'b' || p == L'B' ? 2
                                        : 10;
        if (base != 10) i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned digit = c >= L'0' && c <= L'9'   ? c - L'0'
                         : c >= L'a' && c <= L'f' ? c - L'a' + 10
                         : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                                  : 99;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return static_cast<int>(negative ? 0u - value : value);
}

}  // namespace

const std::wstring* ProfileReader::find(std::wstring_view section, std::wstring_view key) const {
    const std::wstring name = folded(section);
    auto it = sections_.find(name);
    if (it == sections_.end()) {
        Section keys;
        for (ProfileEntry& entry : read_profile_section(path_, section))
            keys.try_emplace(folded(entry.key), std::move(entry.value));  // the first one counts
        it = sections_.emplace(name, std::move(keys)).first;
    }
    const auto found = it->second.find(folded(key));
    return found == it->second.end() ? nullptr : &found->second;
}

bool ProfileReader::has(std::wstring_view section, std::wstring_view key) const {
    return find(section, key) != nullptr;
}

std::wstring ProfileReader::get_string(std::wstring_view section, std::wstring_view key,
                                       std::wstring_view fallback, std::size_t capacity) const {
    std::wstring_view value = fallback;
    if (const std::wstring* found = find(section, key)) {
        value = *found;
        // A value in matching quotes loses them.
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
    }
    return std::wstring(value.substr(0, capacity == 0 ? 0 : capacity - 1));
}

int ProfileReader::get_int(std::wstring_view section, std::wstring_view key, int fallback) const {
    // The Windows functions read integers through a 30-character buffer.
    const std::wstring text = get_string(section, key, L"", 30);
    return text.empty() ? fallback : parse_profile_int(text);
}
