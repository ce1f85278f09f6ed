#include <windows.h>

#include <map>
#include <set>
#include <vector>

#include "profile.h"

// The names of the keys present in each section read so far. Asking the system for a key
// costs a search of the file each time, so keys that are not there are answered from here:
// a damaged Count of two billion then costs a moment instead of minutes.
struct ProfileSnapshot {
    std::map<std::wstring, std::set<std::wstring>> sections;
};

namespace {

std::wstring zstr(std::wstring_view text) {
    return std::wstring(text);
}

// The profile functions write a new file in the ANSI code page, which turns Cyrillic into
// '?' on most systems. A file that starts with a UTF-16LE mark is kept in UTF-16.
void create_unicode_file_if_missing(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;  // it exists, or cannot be made at all
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file, bom, sizeof bom, &written, nullptr);
    CloseHandle(file);
}

// Profile names compare without regard to ASCII case.
std::wstring folded(std::wstring_view name) {
    std::wstring out(name);
    for (wchar_t& c : out)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return out;
}

std::wstring_view trimmed(std::wstring_view s) {
    while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.remove_suffix(1);
    return s;
}

std::set<std::wstring> read_key_names(const std::wstring& path, const std::wstring& section) {
    std::vector<wchar_t> buffer(std::size_t{1} << 15);
    for (;;) {
        const DWORD n = GetPrivateProfileSectionW(section.c_str(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (std::size_t{1} << 26)) break;
        buffer.assign(buffer.size() * 2, L'\0');
    }
    std::set<std::wstring> names;
    for (const wchar_t* line = buffer.data(); *line != L'\0'; line += wcslen(line) + 1) {
        const std::wstring_view text(line);
        names.insert(folded(trimmed(text.substr(0, text.find(L'=')))));
    }
    return names;
}

bool has_key(ProfileSnapshot& snapshot, const std::wstring& path, std::wstring_view section,
             std::wstring_view key) {
    const std::wstring name = folded(section);
    auto it = snapshot.sections.find(name);
    if (it == snapshot.sections.end())
        it = snapshot.sections.emplace(name, read_key_names(path, std::wstring(section))).first;
    return it->second.count(folded(key)) != 0;
}

}  // namespace

ProfileReader::ProfileReader(const std::wstring& path)
    : path_(path), snapshot_(std::make_unique<ProfileSnapshot>()) {}
ProfileReader::~ProfileReader() = default;

int ProfileReader::get_int(std::wstring_view section, std::wstring_view key, int fallback) const {
    if (!has_key(*snapshot_, path_, section, key)) return fallback;
    return static_cast<int>(
        GetPrivateProfileIntW(zstr(section).c_str(), zstr(key).c_str(), fallback, path_.c_str()));
}

std::wstring ProfileReader::get_string(std::wstring_view section, std::wstring_view key,
                                       std::wstring_view fallback, std::size_t capacity) const {
    if (!has_key(*snapshot_, path_, section, key))
        return std::wstring(fallback.substr(0, capacity ? capacity - 1 : 0));
    std::vector<wchar_t> buffer(capacity + 1, L'\0');
    const DWORD n =
        GetPrivateProfileStringW(zstr(section).c_str(), zstr(key).c_str(), zstr(fallback).c_str(),
                                 buffer.data(), static_cast<DWORD>(capacity), path_.c_str());
    return std::wstring(buffer.data(), n);
}

bool profile_replace_section(const std::wstring& path, std::wstring_view section,
                             std::span<const ProfileEntry> entries) {
    create_unicode_file_if_missing(path);
    const std::wstring name(section);
    // An empty key list (two terminators) removes every key and keeps the section header.
    bool ok = WritePrivateProfileSectionW(name.c_str(), L"\0\0", path.c_str()) != 0;
    for (const ProfileEntry& entry : entries)
        ok = WritePrivateProfileStringW(name.c_str(), entry.key.c_str(), entry.value.c_str(),
                                        path.c_str()) != 0 &&
             ok;
    return ok;
}

bool profile_write_string(const std::wstring& path, std::wstring_view section,
                          std::wstring_view key, std::wstring_view value) {
    create_unicode_file_if_missing(path);
    return WritePrivateProfileStringW(zstr(section).c_str(), zstr(key).c_str(), zstr(value).c_str(),
                                      path.c_str()) != 0;
}
