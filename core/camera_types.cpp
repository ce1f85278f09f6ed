#include "camera_types.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "profile.h"
#include "text_format.h"

namespace {

// Descriptions and formats are read with room for 126 characters and the terminator.
constexpr std::size_t kTextCapacity = 127;

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
    const std::size_t n = std::min(text.size(), kTextCapacity - 1);
    std::wmemcpy(dest, text.data(), n);
    dest[n] = L'\0';
}

}  // namespace

bool load_camera_types(AppState& state, const std::wstring& path, InputFormat format) {
    clear_camera_types(state);
    const wchar_t* section = section_name(format);
    // Without a usable path the system would pick a file in the Windows folder.
    if (section == nullptr || path.empty()) return true;

    const ProfileReader profile(path);
    // A damaged Count must not claim all memory or take minutes.
    const int count = std::min(profile.get_int(section, L"Count", 0), kMaxCameraTypes);
    for (int i = 0; i < count; ++i) {
        CameraType type{};
        type.id = profile.get_int(section, numbered(L"ID%d", i), 0);
        copy_text(type.description,
                  profile.get_string(section, numbered(L"Desc%d", i), L"", kTextCapacity));
        copy_text(type.message_format,
                  profile.get_string(section, numbered(L"Fmt%d", i), L"", kTextCapacity));
        type.export_enabled =
            static_cast<std::uint8_t>(profile.get_int(section, numbered(L"Enable%d", i), 1));
        append_camera_type(state, type);
    }
    return true;
}

bool save_camera_types(const AppState& state, const std::wstring& path, InputFormat current) {
    const wchar_t* section = section_name(current);
    if (section == nullptr || path.empty()) return true;

    std::vector<ProfileEntry> entries;
    entries.reserve(state.types.size() * 4 + 1);
    for (std::uint32_t i = 0; i < state.types.size(); ++i) {
        const CameraType& type = state.types[i];
        const int n = static_cast<int>(i);
        entries.push_back({numbered(L"ID%d", n), numbered(L"%d", type.id)});
        entries.push_back({numbered(L"Enable%d", n), numbered(L"%d", type.export_enabled)});
        entries.push_back({numbered(L"Desc%d", n), profile_value(type.description, 128)});
        entries.push_back({numbered(L"Fmt%d", n), profile_value(type.message_format, 128)});
    }
    entries.push_back({L"Count", numbered(L"%d", static_cast<int>(state.types.size()))});
    profile_replace_section(path, section, entries);
    return true;
}
