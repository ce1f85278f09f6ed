// The rules kept here are those of the Windows profile functions that the program used to
// write Config.txt with: sections and keys by name, ignoring ASCII case; only the first
// section of a name counts; lines end at CR LF, LF or a lone CR; blanks around keys and values
// do not count; the file keeps its encoding (UTF-16LE or BE with a mark, UTF-8 with a mark, or
// the ANSI code page), and a new file is UTF-16LE with a mark so that any text survives on any
// system code page. UTF-8 without a mark, which the Windows functions would read as ANSI, is
// saved as UTF-16LE with a mark too.
#include "profile_text.h"

#include <algorithm>
#include <cstdio>

#include "codepage.h"
#include "file_io.h"

namespace {

bool is_blank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view trim(std::wstring_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

wchar_t fold(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
}

std::wstring decode_utf16(std::string_view bytes, bool big_endian) {
    std::string swapped;
    if (big_endian) {
        swapped.assign(bytes.substr(0, bytes.size() & ~std::size_t{1}));
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        bytes = swapped;
    }
    std::wstring text;
    decode_text(bytes, TextEncoding::Utf16, text);
    return text;
}

void append_utf16(std::string& out, std::wstring_view text, bool big_endian) {
    auto unit = [&](unsigned u) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += big_endian ? std::string{hi, lo} : std::string{lo, hi};
    };
    for (wchar_t c : text) {
        const auto cp = static_cast<unsigned>(c);
        if (cp > 0xFFFF && cp <= 0x10FFFF) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp > 0x10FFFF ? 0xFFFD : cp);
        }
    }
}

// The bytes of the file in its own encoding, or nothing when a text does not survive it.
std::optional<std::string> encode(std::wstring_view text, ProfileEncoding encoding) {
    std::string bytes;
    switch (encoding) {
        case ProfileEncoding::Utf16Le:
        case ProfileEncoding::Utf16Be:
            append_utf16(bytes, L"\uFEFF", encoding == ProfileEncoding::Utf16Be);
            append_utf16(bytes, text, encoding == ProfileEncoding::Utf16Be);
            return bytes;
        case ProfileEncoding::Utf8Bom:
            return "\xef\xbb\xbf" + to_utf8(text);
        case ProfileEncoding::Utf8:
            // Any program that reads it through the profile functions would take it for ANSI.
            return std::nullopt;
        case ProfileEncoding::Ansi:
            if (!encode_ansi(text, bytes)) return std::nullopt;
            // Bytes that the next reading would take for UTF-8 would come back garbled.
            if (plain_profile_is_utf8(bytes)) return std::nullopt;
            return bytes;
    }
    return std::nullopt;
}

bool write_profile_text(const std::wstring& path, const ProfileText& profile) {
    std::wstring text;
    for (const ProfileText::Line& line : profile.lines) text.append(line.text).append(line.end);
    // A text that the file's encoding cannot hold turns the whole file into Unicode rather
    // than into question marks.
    std::optional<std::string> bytes = encode(text, profile.encoding);
    if (!bytes) bytes = encode(text, ProfileEncoding::Utf16Le);
    // Written whole under a new name first: an interrupted save leaves the old file.
    const std::wstring temp_path = path + L".orvane-new";
    TempFile temp(temp_path);
    UniqueFile file = open_file(temp_path, "wb");
    if (!file) return false;
    const bool written =
        std::fwrite(bytes->data(), 1, bytes->size(), file.get()) == bytes->size() &&
        flush_to_device(file.get());
    return close_file(std::move(file)) && written && temp.replace(path);
}

// Where a section's lines are: its header, and one past its last key line.
struct SectionSpan {
    std::size_t header;
    std::size_t body_end;
};

std::optional<SectionSpan> find_section(const ProfileText& profile, std::wstring_view name) {
    const auto& lines = profile.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto found = profile_section_of(lines[i].text);
        if (!found || !same_profile_name(*found, name)) continue;
        SectionSpan span{i, i + 1};
        for (std::size_t j = i + 1; j < lines.size() && !profile_section_of(lines[j].text); ++j)
            if (!trim(lines[j].text).empty()) span.body_end = j + 1;
        return span;
    }
    return std::nullopt;
}

std::wstring line_end_of(const ProfileText& profile) {
    for (const ProfileText::Line& line : profile.lines)
        if (!line.end.empty()) return line.end;
    return L"\r\n";
}

}  // namespace

std::optional<std::string> read_profile_bytes(const std::wstring& path) {
    UniqueFile file = open_file(path, "rb");
    if (!file) return std::nullopt;
    std::string bytes;
    char block[65536];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file.get())) > 0;)
        bytes.append(block, n);
    return bytes;
}

std::optional<ProfileText> read_profile_text(const std::wstring& path) {
    const std::optional<std::string> bytes = read_profile_bytes(path);
    if (!bytes) return std::nullopt;
    return profile_text_of(*bytes);
}

bool plain_profile_is_utf8(std::string_view bytes) {
    if (std::none_of(bytes.begin(), bytes.end(), [](char b) { return b < 0; })) return false;
    std::string again;
    append_utf8(from_utf8(bytes), again);
    return again == bytes;  // every broken sequence would have become U+FFFD
}

ProfileEncoding profile_encoding_of(std::string_view bytes) {
    if (bytes.empty()) return ProfileEncoding::Utf16Le;  // as good as new
    if (bytes.starts_with("\xff\xfe")) return ProfileEncoding::Utf16Le;
    if (bytes.starts_with("\xfe\xff")) return ProfileEncoding::Utf16Be;
    if (bytes.starts_with("\xef\xbb\xbf")) return ProfileEncoding::Utf8Bom;
    return plain_profile_is_utf8(bytes) ? ProfileEncoding::Utf8 : ProfileEncoding::Ansi;
}

ProfileText profile_text_of(std::string_view bytes) {
    ProfileText profile;
    profile.encoding = profile_encoding_of(bytes);
    std::wstring text;
    switch (profile.encoding) {
        case ProfileEncoding::Utf16Le:
        case ProfileEncoding::Utf16Be:
            text = decode_utf16(bytes.substr(std::min<std::size_t>(2, bytes.size())),
                                profile.encoding == ProfileEncoding::Utf16Be);
            break;
        case ProfileEncoding::Utf8Bom:
            decode_text(bytes.substr(3), TextEncoding::Utf8, text);
            break;
        case ProfileEncoding::Utf8:
            decode_text(bytes, TextEncoding::Utf8, text);
            break;
        case ProfileEncoding::Ansi:
            decode_text(bytes, TextEncoding::Ansi, text);
            break;
    }
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
        std::size_t next = end;
        if (next < text.size()) next += text.compare(next, 2, L"\r\n") == 0 ? 2 : 1;
        profile.lines.push_back({text.substr(i, end - i), text.substr(end, next - end)});
        i = next;
    }
    return profile;
}

std::vector<ProfileEntry> profile_section_entries(const ProfileText& profile,
                                                  std::wstring_view section) {
    std::vector<ProfileEntry> entries;
    bool in_section = false;
    for (const ProfileText::Line& line : profile.lines) {
        if (const auto name = profile_section_of(line.text)) {
            // Only the first section of a name counts, as with the Windows functions.
            if (in_section) break;
            in_section = same_profile_name(*name, section);
        } else if (const auto kv = in_section ? profile_key_value_of(line.text) : std::nullopt) {
            entries.push_back({std::wstring(kv->key), std::wstring(kv->value)});
        }
    }
    return entries;
}

std::optional<std::wstring_view> profile_section_of(std::wstring_view line) {
    line = trim(line);
    if (line.empty() || line.front() != L'[') return std::nullopt;
    const std::size_t close = line.rfind(L']');
    if (close == std::wstring_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

std::optional<ProfileKeyValue> profile_key_value_of(std::wstring_view line) {
    line = trim(line);
    if (line.empty() || line.front() == L';') return std::nullopt;
    const std::size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos) return std::nullopt;
    return ProfileKeyValue{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

bool same_profile_name(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

bool profile_replace_section(const std::wstring& path, std::wstring_view section,
                             std::span<const ProfileEntry> entries) {
    ProfileText profile = read_profile_text(path).value_or(ProfileText{});
    const std::wstring end = line_end_of(profile);
    std::optional<SectionSpan> span = find_section(profile, section);
    if (!span) {
        // A new section goes to the end of the file.
        if (!profile.lines.empty() && profile.lines.back().end.empty())
            profile.lines.back().end = end;
        profile.lines.push_back({L"[" + std::wstring(section) + L"]", end});
        span = SectionSpan{profile.lines.size() - 1, profile.lines.size()};
    }
    std::vector<ProfileText::Line> body;
    body.reserve(entries.size());
    for (const ProfileEntry& entry : entries) body.push_back({entry.key + L"=" + entry.value, end});
    auto& lines = profile.lines;
    if (!body.empty() && lines[span->header].end.empty()) lines[span->header].end = end;
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(span->header + 1);
    lines.insert(lines.erase(first, lines.begin() + static_cast<std::ptrdiff_t>(span->body_end)),
                 body.begin(), body.end());
    return write_profile_text(path, profile);
}
