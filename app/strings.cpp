#include "strings.h"

#include <windows.h>

namespace {

// Entries longer than this are cut; the program's own are far shorter.
constexpr int kEntryCapacity = 2048;

std::optional<std::wstring> format_entry(const AppState& state, unsigned id,
                                         std::initializer_list<FormatArg> args) {
    wchar_t entry[kEntryCapacity] = {};
    const int length =
        LoadStringW(static_cast<HINSTANCE>(state.instance), id, entry, kEntryCapacity);
    if (length <= 0) return std::nullopt;
    return format_string_args(std::wstring_view(entry, static_cast<std::size_t>(length)), args);
}

}  // namespace

const wchar_t* load_string_args(AppState& state, unsigned id,
                                std::initializer_list<FormatArg> args) {
    // The arguments may point into the buffer (an earlier result), so it is replaced only
    // once the text is made.
    std::optional<std::wstring> text = format_entry(state, id, args);
    state.string_buffer = text ? std::move(*text) : std::wstring();
    return text ? state.string_buffer.c_str() : nullptr;
}

std::optional<std::wstring> load_string_copy_args(const AppState& state, unsigned id,
                                                  std::initializer_list<FormatArg> args) {
    return format_entry(state, id, args);
}

std::wstring without_access_key(std::wstring_view text) {
    std::wstring plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}
