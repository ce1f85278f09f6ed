// The host build's side of profile files. A file without a byte-order mark is UTF-8 when its
// bytes are valid UTF-8 and Windows-1251 otherwise: there is no system code page to ask.
#include "codepage.h"
#include "profile.h"
#include "profile_text.h"

bool plain_profile_is_utf8(std::string_view bytes) {
    std::string again;
    append_utf8(from_utf8(bytes), again);
    return again == bytes;
}

std::vector<ProfileEntry> read_profile_section(const std::wstring& path,
                                               std::wstring_view section) {
    std::vector<ProfileEntry> entries;
    const auto text = read_profile_text(path);
    if (!text) return entries;
    bool in_section = false;
    for (const ProfileText::Line& line : text->lines) {
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
