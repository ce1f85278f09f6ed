#include "camera_types.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "profile.h"
#include "text_format.h"

namespace {

// Descriptions and formats keep at most 126 characters, and are read with room for those
// and the terminator. A saved text may stand inside quotes; they come off before the cut.
constexpr std::size_t kTextLimit = 126;
constexpr std::size_t kReadCapacity = kTextLimit + 1;

const wchar_t* section_name(InputFormat format) {
    switch (format) {
        case InputFormat::Navitel:
            return L"Navitel";
        case InputFormat::Igo:
            return L"IGO";
    }
    return nullptr;
}

// A key name such as "ID12", or a number as text.
std::wstring numbered(const wchar_t* pattern, int number) {
    return format_string(pattern, number).value_or(std::wstring());
}

// The profile readers drop blanks around a value and a pair of quotes around it. A text
// that would lose either is written inside quotes, which the reader then takes off again.
std::wstring profile_value(const wchar_t* text, std::size_t capacity) {
    std::wstring value(text, wcsnlen(text, capacity));
    if (value.empty()) return value;
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    const bool quoted = value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
                        value.back() == value.front();
    if (quoted || blank(value.front()) || blank(value.back())) value = L'"' + value + L'"';
    return value;
}

void copy_text(wchar_t (&dest)[128], const std::wstring& text) {
    const std::size_t n = std::min(text.size(), kTextLimit);
    std::wmemcpy(dest, text.data(), n);
    dest[n] = L'\0';
}

}  // namespace

void load_camera_types(CameraTypeList& types, const std::wstring& path, InputFormat format) {
    clear_camera_types(types);
    const wchar_t* section = section_name(format);
    // Without a usable path the system would pick a file in the Windows folder.
    if (section == nullptr || path.empty()) return;

    const ProfileReader profile(path);
    // A damaged Count must not claim all memory or take minutes.
    const int count = std::min(profile.get_int(section, L"Count", 0), kMaxCameraTypes);
    // An entry without any key of its own keeps its place between entries that have keys, so
    // that their numbering stays; after the last of those, such entries are only what a
    // damaged Count claims, and are not loaded (they would be saved as real entries).
    CameraType keyless{};
    keyless.export_enabled = 1;
    std::size_t pending = 0;  // entries without keys not yet appended
    for (int i = 0; i < count; ++i) {
        const std::wstring id = numbered(L"ID%d", i), desc = numbered(L"Desc%d", i),
                           fmt = numbered(L"Fmt%d", i), enable = numbered(L"Enable%d", i);
        if (!profile.has(section, id) && !profile.has(section, desc) &&
            !profile.has(section, fmt) && !profile.has(section, enable)) {
            ++pending;
            continue;
        }
        for (; pending > 0; --pending) append_camera_type(types, keyless);
        CameraType type{};
        type.id = profile.get_int(section, id, 0);
        copy_text(type.description, profile.get_string(section, desc, L"", kReadCapacity));
        copy_text(type.message_format, profile.get_string(section, fmt, L"", kReadCapacity));
        type.export_enabled = static_cast<std::uint8_t>(profile.get_int(section, enable, 1));
        append_camera_type(types, type);
    }
}

bool save_camera_types(const CameraTypeList& types, const std::wstring& path, InputFormat current) {
    const wchar_t* section = section_name(current);
    if (section == nullptr || path.empty()) return true;

    std::vector<ProfileEntry> entries;
    entries.reserve(types.size() * 4 + 1);
    for (std::size_t i = 0; i < types.size(); ++i) {
        const CameraType& type = types[i];
        const int n = static_cast<int>(i);
        entries.push_back({numbered(L"ID%d", n), numbered(L"%d", type.id)});
        entries.push_back({numbered(L"Enable%d", n), numbered(L"%d", type.export_enabled)});
        entries.push_back({numbered(L"Desc%d", n), profile_value(type.description, 128)});
        entries.push_back({numbered(L"Fmt%d", n), profile_value(type.message_format, 128)});
    }
    entries.push_back({L"Count", numbered(L"%d", static_cast<int>(types.size()))});
    return profile_replace_section(path, section, entries);
}
