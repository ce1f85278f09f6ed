// Keys of an INI-style profile file, always addressed by the file's full path. On Windows
// these are the system's private-profile functions; the host build has its own reader and
// writer that keeps the same rules.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

struct ProfileEntry {
    std::wstring key;
    std::wstring value;
};

struct ProfileSnapshot;  // the parsed file, on builds that parse it themselves

// Reads keys of one file. The host build parses the file once, when the reader is made.
class ProfileReader {
  public:
    explicit ProfileReader(const std::wstring& path);
    ~ProfileReader();
    ProfileReader(const ProfileReader&) = delete;
    ProfileReader& operator=(const ProfileReader&) = delete;

    // The key's integer; `fallback` when the key is missing or empty.
    int get_int(std::wstring_view section, std::wstring_view key, int fallback) const;
    // The key's text, cut to capacity - 1 characters; `fallback` when the key is missing.
    std::wstring get_string(std::wstring_view section, std::wstring_view key,
                            std::wstring_view fallback, std::size_t capacity) const;

  private:
    std::wstring path_;
    std::unique_ptr<ProfileSnapshot> snapshot_;
};

// Replaces every key of the section with `entries`, in their order, keeping the section's
// place in the file and every other section byte for byte. A missing file is created as
// UTF-16LE with a byte-order mark, so that any text survives on any system code page.
bool profile_replace_section(const std::wstring& path, std::wstring_view section,
                             std::span<const ProfileEntry> entries);

// Sets one key: an existing key gets the new value, a new key goes to the end of its section.
bool profile_write_string(const std::wstring& path, std::wstring_view section,
                          std::wstring_view key, std::wstring_view value);
