#include <windows.h>

#include <vector>

#include "profile.h"
#include "profile_text.h"

std::vector<ProfileEntry> read_profile_section(const std::wstring& path,
                                               std::wstring_view section) {
    // The profile functions read a file without a mark in the ANSI code page; one whose bytes
    // are UTF-8 (Notepad saves new files so) is read here by their rules instead.
    if (const auto bytes = read_profile_bytes(path);
        bytes && profile_encoding_of(*bytes) == ProfileEncoding::Utf8)
        return profile_section_entries(profile_text_of(*bytes), section);
    // The whole section in one call: asking for each key would search the file each time.
    const std::wstring name(section);
    std::vector<wchar_t> buffer(std::size_t{1} << 15);
    for (;;) {
        const DWORD n = GetPrivateProfileSectionW(name.c_str(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (std::size_t{1} << 26)) break;
        buffer.assign(buffer.size() * 2, L'\0');
    }
    std::vector<ProfileEntry> entries;
    for (const wchar_t* line = buffer.data(); *line != L'\0'; line += wcslen(line) + 1) {
        if (const auto kv = profile_key_value_of(line))
            entries.push_back({std::wstring(kv->key), std::wstring(kv->value)});
    }
    return entries;
}
