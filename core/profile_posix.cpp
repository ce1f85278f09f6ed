// The host build's profile files. They follow the rules of the Windows functions that the
// program uses there: sections and keys by name, ignoring ASCII case; only the first section
// of a name counts; lines end at CR LF, LF or a lone CR; blanks around keys and values do not
// count; a value in matching quotes loses them; a missing key gives the caller's default. Writing
// keeps every line it does not change byte for byte, and keeps the file's encoding (UTF-16LE or
// UTF-8, with or without a mark, or Windows-1251).
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <vector>

#include "codepage.h"
#include "cp1251.h"
#include "file_io.h"
#include "profile.h"

namespace {

enum class FileEncoding { Utf16Le, Utf8Bom, Utf8, Ansi };

struct Line {
    std::wstring text;
    std::wstring end;  // "\r\n", "\n", "\r", or empty on a last line without one
};

}  // namespace

struct ProfileSnapshot {
    FileEncoding encoding = FileEncoding::Utf16Le;
    std::vector<Line> lines;
    // Folded "section\0key" to the value of its first occurrence, for reading.
    std::unordered_map<std::wstring, std::wstring_view> index;
};

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

bool same_name(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

std::wstring index_key(std::wstring_view section, std::wstring_view key) {
    std::wstring out;
    out.reserve(section.size() + key.size() + 1);
    for (wchar_t c : section) out.push_back(fold(c));
    out.push_back(L'\0');
    for (wchar_t c : key) out.push_back(fold(c));
    return out;
}

// The section name of a header line "[name]", or nothing.
std::optional<std::wstring_view> section_of(std::wstring_view line) {
    line = trim(line);
    if (line.empty() || line.front() != L'[') return std::nullopt;
    const std::size_t close = line.rfind(L']');
    if (close == std::wstring_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

struct KeyValue {
    std::wstring_view key;
    std::wstring_view value;
};

std::optional<KeyValue> key_value_of(std::wstring_view line) {
    line = trim(line);
    if (line.empty() || line.front() == L';') return std::nullopt;
    const std::size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos) return std::nullopt;
    return KeyValue{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

bool is_valid_utf8(std::string_view bytes) {
    std::string again;
    append_utf8(from_utf8(bytes), again);
    return again == bytes;
}

std::optional<ProfileSnapshot> load(const std::wstring& path) {
    UniqueFile file = open_file(path, "rb");
    if (!file) return std::nullopt;
    std::string bytes;
    char block[65536];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file.get())) > 0;)
        bytes.append(block, n);

    ProfileSnapshot snap;
    std::wstring text;
    if (bytes.starts_with("\xff\xfe")) {
        snap.encoding = FileEncoding::Utf16Le;
        decode_text(std::string_view(bytes).substr(2), TextEncoding::Utf16, text);
    } else if (bytes.starts_with("\xef\xbb\xbf")) {
        snap.encoding = FileEncoding::Utf8Bom;
        decode_text(std::string_view(bytes).substr(3), TextEncoding::Utf8, text);
    } else if (is_valid_utf8(bytes)) {
        snap.encoding = FileEncoding::Utf8;
        decode_text(bytes, TextEncoding::Utf8, text);
    } else {
        snap.encoding = FileEncoding::Ansi;
        decode_text(bytes, TextEncoding::Ansi, text);
    }
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
        std::size_t next = end;
        if (next < text.size()) next += text.compare(next, 2, L"\r\n") == 0 ? 2 : 1;
        snap.lines.push_back({text.substr(i, end - i), text.substr(end, next - end)});
        i = next;
    }
    return snap;
}

std::string encode(const ProfileSnapshot& snap) {
    std::wstring text;
    for (const Line& line : snap.lines) text.append(line.text).append(line.end);
    FileEncoding encoding = snap.encoding;
    if (encoding == FileEncoding::Ansi) {
        std::string bytes;
        for (wchar_t c : text) {
            const int b = unicode_to_cp1251(c);
            if (b < 0) {
                // Rather than lose a character the code page lacks, the file becomes Unicode.
                encoding = FileEncoding::Utf16Le;
                break;
            }
            bytes.push_back(static_cast<char>(b));
        }
        // Non-ASCII bytes that happen to read as UTF-8 would be taken for UTF-8 next time:
        // go Unicode instead.
        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char b) { return b >= 0; });
        if (encoding == FileEncoding::Ansi && (ascii || !is_valid_utf8(bytes))) return bytes;
        encoding = FileEncoding::Utf16Le;
    }
    if (encoding == FileEncoding::Utf8) return to_utf8(text);
    if (encoding == FileEncoding::Utf8Bom) return "\xef\xbb\xbf" + to_utf8(text);
    std::string bytes = "\xff\xfe";
    auto unit = [&](unsigned u) {
        bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
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
    return bytes;
}

// Writes the whole file under a temporary name first, so that a failed write never leaves
// a damaged Config.txt behind.
bool save(const std::wstring& path, const ProfileSnapshot& snap) {
    const std::string bytes = encode(snap);
    const std::wstring temp = path + L".orvane-new";
    UniqueFile file = open_file(temp, "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                         flush_to_device(file.get());
    if (!close_file(std::move(file)) || !written ||
        std::rename(to_utf8(temp).c_str(), to_utf8(path).c_str()) != 0) {
        std::remove(to_utf8(temp).c_str());
        return false;
    }
    return true;
}

// Where the section's lines are: header index, and one past its last key line.
struct SectionSpan {
    std::size_t header;
    std::size_t body_end;
};

std::optional<SectionSpan> find_section(const ProfileSnapshot& snap, std::wstring_view name) {
    for (std::size_t i = 0; i < snap.lines.size(); ++i) {
        const auto found = section_of(snap.lines[i].text);
        if (!found || !same_name(*found, name)) continue;
        SectionSpan span{i, i + 1};
        for (std::size_t j = i + 1; j < snap.lines.size() && !section_of(snap.lines[j].text); ++j)
            if (!trim(snap.lines[j].text).empty()) span.body_end = j + 1;
        return span;
    }
    return std::nullopt;
}

std::wstring new_line_end(const ProfileSnapshot& snap) {
    for (const Line& line : snap.lines)
        if (!line.end.empty()) return line.end;
    return L"\r\n";
}

// The section's span, adding the section at the end of the file when it is missing.
SectionSpan ensure_section(ProfileSnapshot& snap, std::wstring_view name) {
    if (auto span = find_section(snap, name)) return *span;
    const std::wstring end = new_line_end(snap);
    if (!snap.lines.empty() && snap.lines.back().end.empty()) snap.lines.back().end = end;
    snap.lines.push_back({L"[" + std::wstring(name) + L"]", end});
    return {snap.lines.size() - 1, snap.lines.size()};
}

ProfileSnapshot load_or_new(const std::wstring& path) {
    auto snap = load(path);
    return snap ? std::move(*snap) : ProfileSnapshot{};
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

ProfileReader::ProfileReader(const std::wstring& path) : path_(path) {
    auto snap = load(path);
    if (!snap) return;
    snapshot_ = std::make_unique<ProfileSnapshot>(std::move(*snap));
    // Only the first section of a name counts, as with the Windows functions.
    std::vector<std::wstring_view> seen;
    std::wstring_view section;
    bool in_section = false;
    for (const Line& line : snapshot_->lines) {
        if (const auto name = section_of(line.text)) {
            section = *name;
            in_section = std::none_of(seen.begin(), seen.end(),
                                      [&](std::wstring_view s) { return same_name(s, section); });
            seen.push_back(section);
        } else if (const auto kv = in_section ? key_value_of(line.text) : std::nullopt) {
            snapshot_->index.try_emplace(index_key(section, kv->key), kv->value);
        }
    }
}

ProfileReader::~ProfileReader() = default;

std::wstring ProfileReader::get_string(std::wstring_view section, std::wstring_view key,
                                       std::wstring_view fallback, std::size_t capacity) const {
    std::wstring_view value = fallback;
    if (snapshot_) {
        const auto found = snapshot_->index.find(index_key(section, key));
        if (found != snapshot_->index.end()) {
            value = found->second;
            if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
        }
    }
    return std::wstring(value.substr(0, capacity == 0 ? 0 : capacity - 1));
}

int ProfileReader::get_int(std::wstring_view section, std::wstring_view key, int fallback) const {
    // The Windows functions read integers through a 30-character buffer.
    const std::wstring text = get_string(section, key, L"", 30);
    return text.empty() ? fallback : parse_profile_int(text);
}

bool profile_replace_section(const std::wstring& path, std::wstring_view section,
                             std::span<const ProfileEntry> entries) {
    ProfileSnapshot snap = load_or_new(path);
    const SectionSpan span = ensure_section(snap, section);
    const std::wstring end = new_line_end(snap);
    std::vector<Line> body;
    for (const ProfileEntry& entry : entries) body.push_back({entry.key + L"=" + entry.value, end});
    if (!body.empty() && snap.lines[span.header].end.empty()) snap.lines[span.header].end = end;
    auto first = snap.lines.begin() + static_cast<std::ptrdiff_t>(span.header + 1);
    snap.lines.erase(first, snap.lines.begin() + static_cast<std::ptrdiff_t>(span.body_end));
    snap.lines.insert(snap.lines.begin() + static_cast<std::ptrdiff_t>(span.header + 1),
                      body.begin(), body.end());
    return save(path, snap);
}

bool profile_write_string(const std::wstring& path, std::wstring_view section,
                          std::wstring_view key, std::wstring_view value) {
    ProfileSnapshot snap = load_or_new(path);
    const SectionSpan span = ensure_section(snap, section);
    const std::wstring text = std::wstring(key) + L"=" + std::wstring(value);
    for (std::size_t i = span.header + 1; i < span.body_end; ++i) {
        const auto kv = key_value_of(snap.lines[i].text);
        if (kv && same_name(kv->key, key)) {
            snap.lines[i].text = text;
            return save(path, snap);
        }
    }
    const std::wstring end = new_line_end(snap);
    if (snap.lines[span.body_end - 1].end.empty()) snap.lines[span.body_end - 1].end = end;
    snap.lines.insert(snap.lines.begin() + static_cast<std::ptrdiff_t>(span.body_end), {text, end});
    return save(path, snap);
}
