// Keys of an INI-style profile file, always addressed by the file's full path. On Windows a
// section is read with the system's private-profile functions, except from a file of UTF-8
// without a byte-order mark, which they would read as ANSI; the host build reads every file
// itself by the same rules. Values are then taken as the Windows functions give them, and
// both builds write through one writer of their own (profile_text.h).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct ProfileEntry {
    std::wstring key;
    std::wstring value;
};

// Reads keys of one file; each section is read once, when it is first asked for, so that a
// table of any size costs time in proportion to it.
class ProfileReader {
  public:
    explicit ProfileReader(const std::wstring& path) : path_(path) {}

    bool has(std::wstring_view section, std::wstring_view key) const;
    // The key's integer; `fallback` when the key is missing or empty.
    int get_int(std::wstring_view section, std::wstring_view key, int fallback) const;
    // The key's text, cut to capacity - 1 characters; `fallback` when the key is missing.
    std::wstring get_string(std::wstring_view section, std::wstring_view key,
                            std::wstring_view fallback, std::size_t capacity) const;

  private:
    using Section = std::unordered_map<std::wstring, std::wstring>;  // folded key to value
    const std::wstring* find(std::wstring_view section, std::wstring_view key) const;

    std::wstring path_;
    mutable std::unordered_map<std::wstring, Section> sections_;  // by folded name
};

// Platform half: the key and value of every line of the first section of that name, in file
// order, blanks around both taken off; empty when there is no such file or section.
std::vector<ProfileEntry> read_profile_section(const std::wstring& path, std::wstring_view section);

// Replaces every key of the section with `entries`, in their order, keeping the section's
// place in the file and every other line byte for byte; a missing section goes to the end.
// The file is replaced in one step, so an interrupted save leaves the old one. A missing file
// is created as UTF-16LE with a byte-order mark, so that any text survives on any system code
// page, and so is a file whose own encoding cannot hold every text.
bool profile_replace_section(const std::wstring& path, std::wstring_view section,
                             std::span<const ProfileEntry> entries);
