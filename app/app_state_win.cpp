#include "app_state_win.h"

#include <cstring>

#include "places.h"

namespace {

constexpr wchar_t kSection[] = L"GlobalParam";

// A path to a file in `dir`, or empty when it would be longer than kMaxPathChars.
std::wstring path_in(const std::wstring& dir, std::wstring_view name) {
    if (dir.empty() || dir.size() + name.size() > kMaxPathChars) return {};
    return dir + std::wstring(name);
}

// The block is decoded into a scratch copy first: the platform writes the decoded bytes out
// before it checks the length and the checksum, and a damaged block must not reach the state.
template <typename T>
void read_block(const std::wstring& path, const wchar_t* key, T& member) {
    T scratch;
    std::memcpy(&scratch, &member, sizeof(T));
    if (GetPrivateProfileStructW(kSection, key, &scratch, sizeof(T), path.c_str()))
        std::memcpy(&member, &scratch, sizeof(T));
}

template <typename T>
void write_block(const std::wstring& path, const wchar_t* key, const T& member) {
    WritePrivateProfileStructW(kSection, key, const_cast<T*>(&member), sizeof(T), path.c_str());
}

}  // namespace

void app_state_init(AppState& state, HINSTANCE instance) {
    state = AppState{};
    state.instance = instance;

    wchar_t module[kMaxPathChars + 1] = {};
    const DWORD length =
        GetModuleFileNameW(GetModuleHandleW(nullptr), module, static_cast<DWORD>(kMaxPathChars));
    // A name that filled the buffer was cut short; a directory made from it would be wrong.
    if (length == 0 || length >= kMaxPathChars) return;
    state.module_path = module;

    wchar_t full[kMaxPathChars + 1] = {};
    wchar_t* file_part = nullptr;
    const DWORD full_length =
        GetFullPathNameW(module, static_cast<DWORD>(kMaxPathChars), full, &file_part);
    if (full_length == 0 || full_length >= kMaxPathChars) return;
    if (file_part != nullptr) *file_part = L'\0';
    state.module_dir = full;

    state.settings_path = path_in(state.module_dir, L"Orvane.ini");
    state.type_config_path = path_in(state.module_dir, L"Config.txt");
}

void read_settings(AppState& state) {
    if (state.settings_path.empty()) return;
    read_block(state.settings_path, L"Window", state.window_rect);
    read_block(state.settings_path, L"List1", state.list1_widths);
    read_block(state.settings_path, L"List2", state.list2_widths);
    read_block(state.settings_path, L"Filter", state.filter);
    read_block(state.settings_path, L"Map", state.map_rect);
    read_block(state.settings_path, L"Repeats", state.drop_repeats);
    read_block(state.settings_path, L"Home", state.home);
}

void write_settings(const AppState& state) {
    if (state.settings_path.empty()) return;
    write_block(state.settings_path, L"Window", state.window_rect);
    write_block(state.settings_path, L"List1", state.list1_widths);
    write_block(state.settings_path, L"List2", state.list2_widths);
    write_block(state.settings_path, L"Filter", state.filter);
    write_block(state.settings_path, L"Map", state.map_rect);
    write_block(state.settings_path, L"Repeats", state.drop_repeats);
    write_block(state.settings_path, L"Home", state.home);
}

std::optional<GeoPoint> home_point(const AppState& state) {
    if (state.home.set == 0 || !on_earth(state.home.place)) return std::nullopt;
    return state.home.place;
}
