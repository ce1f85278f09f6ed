// A profile file as text: its lines, each with its own line end, and the encoding it was read
// in. The program writes Config.txt through this, on every build, so that a save replaces the
// file in one step, costs time in proportion to the file, and keeps every line it does not
// change byte for byte.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profile.h"

enum class ProfileEncoding { Utf16Le, Utf16Be, Utf8Bom, Utf8, Ansi };

struct ProfileText {
    struct Line {
        std::wstring text;
        std::wstring end;  // "\r\n", "\n", "\r", or empty on a last line without one
    };
    ProfileEncoding encoding = ProfileEncoding::Utf16Le;
    std::vector<Line> lines;
};

// Reads the file as the profile functions of this platform do; nothing when it cannot be
// opened. A file without a byte-order mark is ANSI, except on a platform whose profile
// functions take valid UTF-8 for UTF-8 (plain_profile_is_utf8).
std::optional<ProfileText> read_profile_text(const std::wstring& path);

// Platform half: whether a file without a byte-order mark is read as UTF-8.
bool plain_profile_is_utf8(std::string_view bytes);

// The section name of a header line "[name]", and the key and value of a "key=value" line.
std::optional<std::wstring_view> profile_section_of(std::wstring_view line);
struct ProfileKeyValue {
    std::wstring_view key;
    std::wstring_view value;
};
std::optional<ProfileKeyValue> profile_key_value_of(std::wstring_view line);
// Section and key names compare without regard to ASCII case.
bool same_profile_name(std::wstring_view a, std::wstring_view b);
