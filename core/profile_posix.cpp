// The host build's side of profile files: there are no profile functions, so every file is
// read by the rules they keep. Without a byte-order mark, ANSI is Windows-1251.
#include "profile.h"
#include "profile_text.h"

std::vector<ProfileEntry> read_profile_section(const std::wstring& path,
                                               std::wstring_view section) {
    const auto text = read_profile_text(path);
    return text ? profile_section_entries(*text, section) : std::vector<ProfileEntry>{};
}
