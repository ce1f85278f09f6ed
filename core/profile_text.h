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

// Reads the file in its encoding; nothing when it cannot be opened.
std::optional<ProfileText> read_profile_text(const std::wstring& path);
std::optional<std::string> read_profile_bytes(const std::wstring& path);
// The text of a file of these bytes.
ProfileText profile_text_of(std::string_view bytes);

// The encoding of a file of these bytes: its byte-order mark tells, else it is UTF-8 when
// plain_profile_is_utf8, else ANSI. An empty file counts as a new one.
ProfileEncoding profile_encoding_of(std::string_view bytes);
// Whether bytes without a byte-order mark are UTF-8: valid UTF-8 and not all ASCII. Notepad
// saves new files that way; an ANSI text is hardly ever valid UTF-8.
bool plain_profile_is_utf8(std::string_view bytes);

// The key and value of every line of the first section of that name, in file order, as
// read_profile_section gives them.
std::vector<ProfileEntry> profile_section_entries(const ProfileText& profile,
                                                  std::wstring_view section);

// The section name of a header line "[name]", and the key and value of a "key=value" line.
std::optional<std::wstring_view> profile_section_of(std::wstring_view line);
struct ProfileKeyValue {
    std::wstring_view key;
    std::wstring_view value;
};
std::optional<ProfileKeyValue> profile_key_value_of(std::wstring_view line);
// Section and key names compare without regard to ASCII case.
bool same_profile_name(std::wstring_view a, std::wstring_view b);
