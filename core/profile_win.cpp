#include <windows.h>

#include <vector>

#include "profile.h"

struct ProfileSnapshot {};

namespace {

std::wstring zstr(std::wstring_view text) { return std::wstring(text); }

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

}  // namespace

ProfileReader::ProfileReader(const std::wstring& path) : path_(path) {}
ProfileReader::~ProfileReader() = default;

int ProfileReader::get_int(std::wstring_view section, std::wstring_view key, int fallback) const {
    return static_cast<int>(
        GetPrivateProfileIntW(zstr(section).c_str(), zstr(key).c_str(), fallback, path_.c_str()));
}

std::wstring ProfileReader::get_string(std::wstring_view section, std::wstring_view key,
                                       std::wstring_view fallback, std::size_t capacity) const {
    std::vector<wchar_t> buffer(capacity + 1, L'\0');
    const DWORD n = GetPrivateProfileStringW(zstr(section).c_str(), zstr(key).c_str(),
                                             zstr(fallback).c_str(), buffer.data(),
                                             static_cast<DWORD>(capacity), path_.c_str());
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
                                        path.c_str()) != 0 && ok;
    return ok;
}

bool profile_write_string(const std::wstring& path, std::wstring_view section,
                          std::wstring_view key, std::wstring_view value) {
    create_unicode_file_if_missing(path);
    return WritePrivateProfileStringW(zstr(section).c_str(), zstr(key).c_str(),
                                      zstr(value).c_str(), path.c_str()) != 0;
}
